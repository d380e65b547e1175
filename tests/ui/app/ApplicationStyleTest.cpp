// The application's style paints tall scroll bars and group box frames in
// pieces, so that Qt keeps their fills on the interface thread. Every pixel
// must be the one the style it wraps paints, at any scale, offset or part of
// the control being painted.
#include <gtest/gtest.h>

#include <memory>

#include <sys/resource.h>

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleFactory>

#include "ui/app/ApplicationStyle.h"

namespace {

std::unique_ptr<QStyle> WrappedStyle()
{
    auto* pOurs = dynamic_cast<InlineFillStyle*>(QApplication::style());
    return std::unique_ptr<QStyle>(pOurs ? QStyleFactory::create(pOurs->baseStyle()->name()) : nullptr);
}

// The widget rendered into an image of its own at `ratio`, moved by `offset`
// and limited to `part` (the whole widget when empty), over a colour no style
// paints.
QImage Rendered(QWidget& widget, double ratio, const QPoint& offset, const QRegion& part = QRegion())
{
    QImage image(widget.size() * ratio + QSize(8, 8) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(QColor(12, 200, 34));
    widget.render(&image, offset, part);
    return image;
}

long VoluntarySwitches()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

enum class Fills
{
    OnThisThread,
    AsQtHandsThemOut,
};

void ExpectPaintedAsWrappedStyle(QWidget& widget, const char* what, Fills fills = Fills::OnThisThread)
{
    const std::unique_ptr<QStyle> pWrapped = WrappedStyle();
    ASSERT_TRUE(pWrapped);
    for (const double ratio : {1.0, 2.0}) {
        for (const QPoint offset : {QPoint(0, 0), QPoint(3, 5)}) {
            for (const QRegion& part : {QRegion(), QRegion(2, 3, 300, 250)}) {
                widget.setStyle(nullptr);
                Rendered(widget, ratio, offset, part); // the style's caches filled
                const long before = VoluntarySwitches();
                const QImage ours = Rendered(widget, ratio, offset, part);
                // A fill handed to Qt's pool gives up the processor each time;
                // painting that waits on no other thread does so at most by chance.
                if (fills == Fills::OnThisThread) {
                    EXPECT_LE(VoluntarySwitches(), before + 1) << what << " at scale " << ratio;
                }
                widget.setStyle(pWrapped.get());
                const QImage theirs = Rendered(widget, ratio, offset, part);
                EXPECT_EQ(ours, theirs) << what << " at scale " << ratio << ", offset " << offset.y()
                                        << (part.isEmpty() ? ", whole" : ", in part");
            }
        }
    }
    widget.setStyle(nullptr);
}

} // namespace

TEST(ApplicationStyle, TallScrollBarsAndGroupBoxesPaintAsTheWrappedStyleDoes)
{
    QScrollBar bar(Qt::Vertical);
    bar.resize(14, 370);
    bar.setRange(0, 1000);
    bar.setPageStep(100);
    bar.setValue(400);
    ExpectPaintedAsWrappedStyle(bar, "scroll bar");
    bar.setLayoutDirection(Qt::RightToLeft);
    bar.setEnabled(false);
    ExpectPaintedAsWrappedStyle(bar, "scroll bar, right to left and disabled");

    // A wide one is painted whole.
    QScrollBar wide(Qt::Horizontal);
    wide.resize(676, 14);
    wide.setRange(0, 1000);
    wide.setValue(700);
    ExpectPaintedAsWrappedStyle(wide, "horizontal scroll bar", Fills::AsQtHandsThemOut);

    QGroupBox group(QStringLiteral("Band Code / Picture Carrier"));
    group.resize(336, 403);
    ExpectPaintedAsWrappedStyle(group, "group box");
    group.setFlat(true);
    ExpectPaintedAsWrappedStyle(group, "flat group box");
}

TEST(ApplicationStyle, MenuBarExtensionIconIsTheWrappedStylesInEitherDirection)
{
    const std::unique_ptr<QStyle> pWrapped = WrappedStyle();
    ASSERT_TRUE(pWrapped);
    const auto image = [](const QStyle& style, Qt::LayoutDirection direction) {
        QGuiApplication::setLayoutDirection(direction);
        return style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(16).toImage();
    };
    ASSERT_NE(image(*pWrapped, Qt::LeftToRight), image(*pWrapped, Qt::RightToLeft));
    for (const Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft, Qt::LeftToRight})
        EXPECT_EQ(image(*QApplication::style(), direction), image(*pWrapped, direction)) << direction;
}

TEST(ApplicationStyle, TallSeeThroughFillsAreFilledAsOneFillIsOnTheCallingThread)
{
    for (const double ratio : {1.0, 2.0, 1.5}) {
        const auto filled = [ratio](bool bInPieces) {
            QImage image(QSize(120, 700) * ratio, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(ratio);
            image.fill(QColor(240, 240, 240));
            QPainter painter(&image);
            painter.translate(2, 3);
            const QRect rect(5, 7, 90, 611);
            const QColor seeThrough(40, 60, 110, 20);
            if (bInPieces)
                FillRectOnThisThread(painter, rect, seeThrough);
            else
                painter.fillRect(rect, seeThrough);
            return image;
        };
        const QImage once = filled(false);
        const long before = VoluntarySwitches();
        const QImage inPieces = filled(true);
        if (ratio != 1.5) { // pieces only where their edges fall between rows
            EXPECT_LE(VoluntarySwitches(), before + 1) << "at scale " << ratio;
        }
        EXPECT_EQ(inPieces, once) << "at scale " << ratio;
    }
}
