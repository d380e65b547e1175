#pragma once
// The application's style: Fusion, as Qt chooses it on a plain Linux desktop,
// painting the same pixels without waiting on Qt's thread pool.
//
// Qt 6.4's raster engine hands every blended fill of 96 spans or more to its
// thread pool in pieces and waits for them (QT_THREAD_PARALLEL_FILLS in
// qdrawhelper.cpp). A tall scroll bar or group box frame is a few thousand
// pixels, less work than the hand-over: opening the tuner editor gave up the
// interface thread's processor about 175 times for them, and painting one
// scroll bar took 138 us instead of 46 us. Painted in pieces of fewer rows,
// each fill runs on the interface thread.

#include <vector>

#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QProxyStyle>
#include <QRect>
#include <QString>

class InlineFillStyle : public QProxyStyle
{
public:
    explicit InlineFillStyle(QStyle* pBase);

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* pOption, QPainter* pPainter,
                            const QWidget* pWidget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* pOption, QPainter* pPainter,
                       const QWidget* pWidget = nullptr) const override;
    // The menu bar's extension icon, which every menu bar asks for when it is
    // made, is looked up once for each direction and icon theme: Qt reads its
    // images' headers anew each time, a fifth of a millisecond.
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* pOption = nullptr,
                       const QWidget* pWidget = nullptr) const override;

private:
    struct ExtensionIcon
    {
        bool bRightToLeft = false;
        QString themeName;
        QIcon icon;
    };
    mutable std::vector<ExtensionIcon> m_extensionIcons;
};

// QPainter::fillRect with a colour, in pieces of rows that Qt fills on the
// calling thread: for our own painting of tall areas in see-through colours.
void FillRectOnThisThread(QPainter& painter, const QRect& rect, const QColor& colour);

// Makes the application's style an InlineFillStyle when the style Qt chose
// (the platform's, or the one -style or QT_STYLE_OVERRIDE names) is Fusion,
// the style its pieces were proved on. Any other style is left as it is.
void InstallApplicationStyle();
