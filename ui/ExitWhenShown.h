#pragma once
// Start-up timing and memory measurement run the real program: with the
// environment variable VORNALIX_EXIT_WHEN_SHOWN set, a modal dialog ends its
// loop as soon as it has been painted once, as if cancelled, and at its exit
// the program writes its peak resident size to standard error as the line
// "peak-rss-kib N" (the kernel's VmHWM: a parent cannot learn it reliably,
// since the resource usage of a child started by vfork counts the parent's
// pages). The benchmarks' bare Qt program ends the same way. Without the
// variable nothing changes.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>

#include <QEvent>
#include <QTimer>
#include <QWidget>

inline bool ExitWhenShownRequested()
{
    return qEnvironmentVariableIsSet("VORNALIX_EXIT_WHEN_SHOWN");
}

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

// Watches a dialog for its first paint, then lets the events that are already
// queued run and calls end.
class ExitWhenShown : public QObject
{
public:
    ExitWhenShown(QWidget* pDialog, std::function<void()> end)
        : QObject(pDialog), m_pDialog(pDialog), m_end(std::move(end))
    {
        static const bool bReporting = std::atexit(ReportPeakMemory) == 0;
        static_cast<void>(bReporting);
        pDialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pWatched == m_pDialog && pEvent->type() == QEvent::Paint) {
            m_pDialog->removeEventFilter(this);
            QTimer::singleShot(0, m_pDialog, m_end);
        }
        return false;
    }

private:
    QWidget* m_pDialog;
    std::function<void()> m_end;
};
