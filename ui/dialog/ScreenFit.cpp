#include "ui/dialog/ScreenFit.h"

#include <algorithm>

#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

// Waits for the window's first showing, then fits it and goes.
class FitOnceShown : public QObject
{
public:
    explicit FitOnceShown(QWidget& window) : QObject(&window) { window.installEventFilter(this); }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Show && pWatched == parent()) {
            QPointer<QWidget> pWindow = static_cast<QWidget*>(pWatched);
            pWindow->removeEventFilter(this);
            QTimer::singleShot(100, pWindow, [pWindow] {
                if (pWindow)
                    KeepInsideAvailableArea(*pWindow);
            });
            deleteLater();
        }
        return false;
    }
};

} // namespace

void KeepInsideAvailableArea(QWidget& window)
{
    QScreen* pScreen = window.screen();
    if (!pScreen)
        return;
    const QRect available = pScreen->availableGeometry();
    if (window.isMaximized() || window.isFullScreen() || available.contains(window.frameGeometry()))
        return;
    const QSize decoration = window.frameGeometry().size() - window.size();
    const QSize fitting = window.size().boundedTo(available.size() - decoration);
    window.setMinimumSize(window.minimumSize().boundedTo(fitting));
    window.resize(fitting);
    QRect frame(window.frameGeometry().topLeft(), fitting + decoration);
    frame.moveRight(std::min(frame.right(), available.right()));
    frame.moveBottom(std::min(frame.bottom(), available.bottom()));
    frame.moveLeft(std::max(frame.left(), available.left()));
    frame.moveTop(std::max(frame.top(), available.top()));
    window.move(frame.topLeft());
}

void KeepInsideAvailableAreaOnceShown(QWidget& window)
{
    new FitOnceShown(window);
}
