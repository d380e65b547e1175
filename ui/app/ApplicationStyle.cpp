#include "ui/app/ApplicationStyle.h"

#include <cmath>

#include <algorithm>

#include <QApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace {

// The most spans one fill may hand over and still run where it is asked for:
// Qt splits a fill of 96 spans or more. A span is a run of pixels in one row:
// a filled shape has one or two in each of its rows, a line one for each pixel
// along it.
constexpr int kInlineSpans = 95;

// The device rows of a piece across a tall control: at scale 1 a style's lines
// are one pixel wide, and a line down the control is a span in each row;
// scaled, it is filled as an outline, two spans in each row.
int PieceRows(double ratio)
{
    return ratio > 1.0 ? kInlineSpans / 2 : kInlineSpans;
}

// Where a control painted in pieces lands: the painter's own image, and the
// control's device pixels in it.
struct PieceTarget
{
    QImage* pImage = nullptr;
    QRect deviceRect;
    double ratio = 1.0;
};

bool IsWholeNumber(double value)
{
    return std::fabs(value - std::round(value)) < 1e-9;
}

// The painter's image when the control can be painted into pieces of it: an
// image of ARGB pixels, reached by a whole-pixel move and a whole-number
// scale, painted over as it is, with no clip of the painter's own. Anything
// else is painted at once.
PieceTarget PieceTargetOf(QPainter* pPainter, const QRect& rect)
{
    QPaintEngine* pEngine = pPainter->paintEngine();
    if (!pEngine || pEngine->type() != QPaintEngine::Raster || !pEngine->paintDevice() ||
        pEngine->paintDevice()->devType() != QInternal::Image)
        return {};
    auto* pImage = static_cast<QImage*>(pEngine->paintDevice());
    if (pImage->format() != QImage::Format_ARGB32_Premultiplied && pImage->format() != QImage::Format_RGB32)
        return {};
    const QTransform transform = pPainter->deviceTransform();
    const double ratio = pImage->devicePixelRatio();
    if (transform.type() > QTransform::TxScale || transform.m11() != ratio || transform.m22() != ratio ||
        !IsWholeNumber(ratio) || !IsWholeNumber(transform.dx()) || !IsWholeNumber(transform.dy()))
        return {};
    if (pPainter->hasClipping() || pPainter->compositionMode() != QPainter::CompositionMode_SourceOver ||
        pPainter->opacity() != 1.0)
        return {};
    // A style may paint a little past the control's edge (the fringe of a
    // smoothed line): the pieces take that in too.
    const int fringe = static_cast<int>(2 * ratio);
    const QRect deviceRect =
        transform.mapRect(rect).adjusted(-fringe, -fringe, fringe, fringe).intersected(pImage->rect());
    if (deviceRect.height() <= PieceRows(ratio))
        return {};
    return PieceTarget{pImage, deviceRect, ratio};
}

// Paints with `paint` in pieces of at most PieceRows device rows across the
// control, each a copy of the image under it, and puts each piece back
// through the painter, whose clip keeps what lies outside the area being
// painted. The style paints into a piece as into the image itself, so every
// pixel comes out as painting at once makes it; a clip instead of pieces would
// not promise that, since a style may set a clip of its own.
template <class Paint> void PaintInPieces(QPainter* pPainter, const QRect& rect, Paint paint)
{
    const PieceTarget target = PieceTargetOf(pPainter, rect);
    if (!target.pImage) {
        paint(pPainter);
        return;
    }
    const QRect& area = target.deviceRect;
    const QTransform toDevice = pPainter->deviceTransform();
    const int pieceRows = PieceRows(target.ratio);
    for (int top = area.top(); top <= area.bottom(); top += pieceRows) {
        const QRect placed(area.left(), top, area.width(), std::min(pieceRows, area.bottom() + 1 - top));
        QImage piece = target.pImage->copy(placed);
        piece.setDevicePixelRatio(target.ratio);
        {
            // The piece's painter maps every point to the pixel the painter's
            // own would, moved by the piece's corner.
            QPainter piecePainter(&piece);
            piecePainter.setTransform(toDevice * QTransform::fromTranslate(-placed.left(), -placed.top()) *
                                      QTransform::fromScale(1.0 / target.ratio, 1.0 / target.ratio));
            piecePainter.setRenderHints(pPainter->renderHints());
            piecePainter.setFont(pPainter->font());
            piecePainter.setPen(pPainter->pen());
            piecePainter.setBrush(pPainter->brush());
            piecePainter.setBrushOrigin(pPainter->brushOrigin());
            piecePainter.setBackground(pPainter->background());
            piecePainter.setBackgroundMode(pPainter->backgroundMode());
            piecePainter.setLayoutDirection(pPainter->layoutDirection());
            paint(&piecePainter);
        }
        pPainter->save();
        pPainter->resetTransform();
        pPainter->setCompositionMode(QPainter::CompositionMode_Source);
        pPainter->drawImage(pPainter->deviceTransform().inverted().map(QPointF(placed.topLeft())), piece);
        pPainter->restore();
    }
}

} // namespace

void FillRectOnThisThread(QPainter& painter, const QRect& rect, const QColor& colour)
{
    // A solid fill splits exactly, each pixel blended by one piece, when the
    // pieces' edges fall between device rows.
    const QTransform& transform = painter.deviceTransform();
    const double rowsPerUnit = std::fabs(transform.m22());
    if (transform.type() > QTransform::TxScale || rowsPerUnit < 1.0 || !IsWholeNumber(rowsPerUnit) ||
        !IsWholeNumber(transform.dy()) || rect.height() * rowsPerUnit <= kInlineSpans) {
        painter.fillRect(rect, colour);
        return;
    }
    const int rows = static_cast<int>(kInlineSpans / rowsPerUnit);
    for (int top = rect.top(); top <= rect.bottom(); top += rows)
        painter.fillRect(QRect(rect.left(), top, rect.width(), std::min(rows, rect.bottom() + 1 - top)), colour);
}

InlineFillStyle::InlineFillStyle(QStyle* pBase) : QProxyStyle(pBase) {}

void InlineFillStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* pOption, QPainter* pPainter,
                                         const QWidget* pWidget) const
{
    // A horizontal bar is left whole: its smoothed lines, cut into pieces
    // along their length, come out a shade apart at a few pixels.
    if (control != CC_ScrollBar || !pOption || !pPainter || (pOption->state & State_Horizontal)) {
        QProxyStyle::drawComplexControl(control, pOption, pPainter, pWidget);
        return;
    }
    PaintInPieces(pPainter, pOption->rect,
                  [&](QPainter* pOn) { QProxyStyle::drawComplexControl(control, pOption, pOn, pWidget); });
}

void InlineFillStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* pOption, QPainter* pPainter,
                                    const QWidget* pWidget) const
{
    if (element != PE_FrameGroupBox || !pOption || !pPainter) {
        QProxyStyle::drawPrimitive(element, pOption, pPainter, pWidget);
        return;
    }
    PaintInPieces(pPainter, pOption->rect,
                  [&](QPainter* pOn) { QProxyStyle::drawPrimitive(element, pOption, pOn, pWidget); });
}

QIcon InlineFillStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* pOption,
                                    const QWidget* pWidget) const
{
    if (standardIcon != SP_ToolBarHorizontalExtensionButton || pOption)
        return QProxyStyle::standardIcon(standardIcon, pOption, pWidget);
    // Without an option, the icon follows the application's direction.
    const bool bRightToLeft = QGuiApplication::isRightToLeft();
    const QString themeName = QIcon::themeName();
    for (const ExtensionIcon& known : m_extensionIcons) {
        if (known.bRightToLeft == bRightToLeft && known.themeName == themeName)
            return known.icon;
    }
    QIcon icon = QProxyStyle::standardIcon(standardIcon, pOption, pWidget);
    m_extensionIcons.push_back(ExtensionIcon{bRightToLeft, themeName, icon});
    return icon;
}

void InstallApplicationStyle()
{
    const QString chosen = QApplication::style()->name();
    if (chosen.compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        return;
    if (QStyle* pFusion = QStyleFactory::create(chosen))
        QApplication::setStyle(new InlineFillStyle(pFusion));
}
