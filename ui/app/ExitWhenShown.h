#pragma once
// Start-up timing and memory measurement run the real program: with the
// environment variable VORNALIX_EXIT_WHEN_SHOWN set, every modal dialog is
// closed, as the window's close box closes it, as soon as it has been
// painted once, and at its exit the program writes its peak resident size to
// standard error as the line "peak-rss-kib N" (the kernel's VmHWM: a parent
// cannot learn it reliably, since the resource usage of a child started by
// vfork counts the parent's pages). The benchmarks' bare Qt program ends the
// same way. Without the variable nothing is installed and nothing changes.
// The watch is the application's, so that no dialog carries code for it.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

inline void ReportPeakMemory()
{
    std::FILE* pStatus = std::fopen("/proc/self/status", "r");
    if (!pStatus)
        return;
    char line[256];
    while (std::fgets(line, sizeof line, pStatus)) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            std::fprintf(stderr, "peak-rss-kib %ld\n", std::strtol(line + 6, nullptr, 10));
            break;
        }
    }
    std::fclose(pStatus);
}

// Sees every paint of the application; the first paint of the modal window
// on top lets the events already queued run, then closes it.
class ModalWindowsCloseOnceShown : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Paint && pWatched == QApplication::activeModalWidget() &&
            pWatched != m_pClosing) {
            m_pClosing = static_cast<QWidget*>(pWatched);
            QTimer::singleShot(0, m_pClosing, [this] {
                // Shown again later, it is closed again.
                if (QWidget* pWindow = std::exchange(m_pClosing, nullptr))
                    pWindow->close();
            });
        }
        return false;
    }

private:
    QPointer<QWidget> m_pClosing;
};

inline void CloseModalWindowsOnceShownWhenAsked(QApplication& app)
{
    if (!qEnvironmentVariableIsSet("VORNALIX_EXIT_WHEN_SHOWN"))
        return;
    std::atexit(ReportPeakMemory);
    app.installEventFilter(new ModalWindowsCloseOnceShown(&app));
}
