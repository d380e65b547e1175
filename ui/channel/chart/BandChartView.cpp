// The band chart's painting, its zoom and pan, and what a click hits. The
// painting costs what the pixels do, not what the channels do: the visible
// marks of a lane are found by binary search, the marks that fall into one
// pixel column are drawn as one line (in the colour of the most telling of
// them: outside the tuner, then repeated), and a channel number is written
// only where it has room, the next candidate found by binary search too.

#include <algorithm>
#include <climits>
#include <cmath>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "ui/app/ApplicationStyle.h"
#include "ui/channel/chart/CBandChartWindow.h"

namespace {

// The narrowest span the chart zooms to: a tenth of a channel of 100 kHz.
constexpr double kNarrowestSpan = 0.01;
// One wheel notch or one + / - zooms by this factor.
constexpr double kZoomStep = 1.25;
// An arrow key pans by this share of the span shown.
constexpr double kPanStep = 0.1;
// A click hits a mark this many pixels beside it.
constexpr int kHitSlop = 4;

const QColor kRepeatedColour(214, 140, 0);
const QColor kUncoveredColour(220, 40, 40);

bool IsDark(const QPalette& palette)
{
    return palette.color(QPalette::Base).lightness() < 128;
}

QString Latin1(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

// Where each part of the chart goes at a size; every painting and hit test
// starts from this one computation.
struct BandChartView::Layout
{
    int left = 0;
    int right = 0;
    int lineHeight = 0;
    int bandTop = 0;
    int tunerTop = 0;
    int tunerHeight = 0;
    int laneTop[BandChart::kLaneCount] = {};
    int laneHeight = 0;
    int axisY = 0;
    int legendY = 0;
    double dbStart = 0.0;
    double dbEnd = 1.0;

    int Width() const { return std::max(1, right - left); }
    double X(double dbFrequency) const { return left + (dbFrequency - dbStart) / (dbEnd - dbStart) * Width(); }
    double FrequencyAt(double x) const { return dbStart + (x - left) / Width() * (dbEnd - dbStart); }
    // The marks' line within a lane: below the channel numbers, above the gaps.
    int MarkTop(int lane) const { return laneTop[lane] + lineHeight + 2; }
    int MarkBottom(int lane) const { return laneTop[lane] + laneHeight - lineHeight - 2; }
};

BandChartView::BandChartView(QWidget* pParent) : QWidget(pParent)
{
    // Before anything tells assistive technologies of the widget, which
    // would make it an interface of Qt's own.
    InstallBandChartAccessible();
    setObjectName(QStringLiteral("BandChartView"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 200);
    setAccessibleName(QStringLiteral("Band chart"));
    ShowWholeAxis();
}

BandChartView::~BandChartView()
{
    ForgetMarkInterfaces();
}

BandChartView::Layout BandChartView::LayoutFor(const QSize& size) const
{
    const QFontMetrics metrics = fontMetrics();
    Layout layout;
    layout.lineHeight = metrics.height();
    layout.left = metrics.horizontalAdvance(QStringLiteral("cable")) + metrics.horizontalAdvance(QStringLiteral("MM"));
    layout.right = size.width() - metrics.horizontalAdvance(QStringLiteral("MM"));
    layout.bandTop = 2;
    layout.tunerTop = layout.bandTop + layout.lineHeight + 4;
    layout.tunerHeight = layout.lineHeight + 4;
    const int lanesTop = layout.tunerTop + layout.tunerHeight + 4;
    layout.legendY = size.height() - layout.lineHeight - 2;
    layout.axisY = layout.legendY - layout.lineHeight - 10;
    layout.laneHeight = std::max(3 * layout.lineHeight + 8, (layout.axisY - lanesTop - 4) / 2);
    layout.laneTop[0] = lanesTop;
    layout.laneTop[1] = lanesTop + layout.laneHeight + 4;
    layout.dbStart = m_dbViewStart;
    layout.dbEnd = m_dbViewEnd;
    return layout;
}

void BandChartView::SetChart(BandChart chart)
{
    const double oldStart = m_chart.AxisStart();
    const double oldEnd = m_chart.AxisEnd();
    m_chart = std::move(chart);
    ChartChanged(oldStart, oldEnd);
}

void BandChartView::RemakeLane(std::int32_t iList, const std::vector<double>& frequencies,
                               const ChannelLabelFunction& labels)
{
    const double oldStart = m_chart.AxisStart();
    const double oldEnd = m_chart.AxisEnd();
    m_chart.RemakeLane(iList, frequencies, labels);
    if (m_chart.AxisStart() != oldStart || m_chart.AxisEnd() != oldEnd) {
        ChartChanged(oldStart, oldEnd);
        return;
    }
    // The axis stands, and with it the span shown: only the lane is painted anew.
    MarksChanged();
    const Layout layout = LayoutFor(size());
    const int lane01 = iList == ChannelModeCable ? 1 : 0;
    update(QRect(0, layout.laneTop[lane01], width(), layout.laneHeight));
}

void BandChartView::ChartChanged(double dbOldAxisStart, double dbOldAxisEnd)
{
    const bool bWholeAxis = m_dbViewStart <= dbOldAxisStart && m_dbViewEnd >= dbOldAxisEnd;
    if (bWholeAxis || m_dbViewEnd <= m_chart.AxisStart() || m_dbViewStart >= m_chart.AxisEnd())
        ShowWholeAxis();
    else
        SetView(m_dbViewStart, m_dbViewEnd);
    MarksChanged();
    update();
}

void BandChartView::MarksChanged()
{
    ForgetMarkInterfaces();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&event);
    }
}

void BandChartView::SetView(double dbStart, double dbEnd)
{
    const double axisStart = m_chart.AxisStart();
    const double axisEnd = m_chart.AxisEnd();
    const double whole = axisEnd - axisStart;
    double span = std::clamp(dbEnd - dbStart, std::min(kNarrowestSpan, whole), whole);
    if (!std::isfinite(span) || !(span > 0.0))
        span = whole;
    // The span stays inside the axis: no panning into empty space.
    dbStart = std::max(axisStart, std::min(dbStart, axisEnd - span));
    m_dbViewStart = dbStart;
    m_dbViewEnd = dbStart + span;
    update();
}

void BandChartView::ShowWholeAxis()
{
    m_dbViewStart = m_chart.AxisStart();
    m_dbViewEnd = m_chart.AxisEnd();
    update();
}

void BandChartView::Zoom(double factor, double dbAround)
{
    const double span = (m_dbViewEnd - m_dbViewStart) / factor;
    const double share = (dbAround - m_dbViewStart) / (m_dbViewEnd - m_dbViewStart);
    const double start = dbAround - share * span;
    SetView(start, start + span);
}

void BandChartView::Pan(double share)
{
    const double offset = (m_dbViewEnd - m_dbViewStart) * share;
    SetView(m_dbViewStart + offset, m_dbViewEnd + offset);
}

QColor BandChartView::LaneColour(std::int32_t iList) const
{
    const bool bDark = IsDark(palette());
    if (iList == ChannelModeCable)
        return bDark ? QColor(90, 210, 130) : QColor(20, 130, 70);
    return bDark ? QColor(110, 170, 255) : QColor(30, 100, 200);
}

std::optional<QPoint> BandChartView::MarkPosition(std::int32_t iList, std::int32_t iChannel) const
{
    const ChartLane& lane = m_chart.Lane(iList);
    const std::optional<std::size_t> mark = lane.MarkOfChannel(iChannel);
    if (!mark)
        return std::nullopt;
    const double f = lane.marks[*mark].dbFrequency;
    if (f < m_dbViewStart || f > m_dbViewEnd)
        return std::nullopt;
    const Layout layout = LayoutFor(size());
    const int lane01 = iList == ChannelModeCable ? 1 : 0;
    return QPoint(static_cast<int>(std::floor(layout.X(f))), (layout.MarkTop(lane01) + layout.MarkBottom(lane01)) / 2);
}

std::optional<BandChartView::MarkRef> BandChartView::MarkAt(const QPoint& point) const
{
    const Layout layout = LayoutFor(size());
    for (int lane01 = 0; lane01 < BandChart::kLaneCount; ++lane01) {
        if (point.y() < layout.laneTop[lane01] || point.y() >= layout.laneTop[lane01] + layout.laneHeight)
            continue;
        const std::int32_t iList = lane01 == 1 ? ChannelModeCable : ChannelModeAir;
        const ChartLane& lane = m_chart.Lane(iList);
        const double x = point.x() + 0.5;
        const std::size_t first = lane.LowerBound(layout.FrequencyAt(x - kHitSlop));
        const std::size_t end = lane.UpperBound(layout.FrequencyAt(x + kHitSlop));
        std::optional<MarkRef> nearest;
        double nearestDistance = HUGE_VAL;
        for (std::size_t i = first; i < end; ++i) {
            const double distance = std::fabs(std::floor(layout.X(lane.marks[i].dbFrequency)) + 0.5 - x);
            if (distance < nearestDistance) {
                nearestDistance = distance;
                nearest = MarkRef{iList, lane.marks[i].iChannel};
            }
        }
        return nearest;
    }
    return std::nullopt;
}

QByteArray BandChartView::PngImage(const QSize& size) const
{
    // Opaque: the chart fills its whole area, and the encoder then keeps no
    // alpha channel.
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    {
        QPainter painter(&image);
        Paint(painter, image.size());
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return bytes;
}

std::vector<BandChartView::ChannelLabel> BandChartView::ChannelLabels(std::int32_t iList, const QSize& size) const
{
    const Layout layout = LayoutFor(size);
    const int lane01 = iList == ChannelModeCable ? 1 : 0;
    return LabelsOf(m_chart.Lane(iList), layout.laneTop[lane01], layout);
}

// Where they have room: the next candidate is the first mark whose label,
// were it as wide as the last, would start past the last one's end. A wider
// one (10000 after 9999, a plan label) that would still touch it is passed
// over the same way, measured by its own width.
std::vector<BandChartView::ChannelLabel> BandChartView::LabelsOf(const ChartLane& lane, int top,
                                                                 const Layout& layout) const
{
    const QFontMetrics metrics = fontMetrics();
    const int gap = metrics.horizontalAdvance(u' ');
    const std::size_t end = lane.UpperBound(layout.dbEnd);
    std::vector<ChannelLabel> labels;
    int lastRight = INT_MIN / 2;
    for (std::size_t i = lane.LowerBound(layout.dbStart); i < end;) {
        const ChartMark& mark = lane.marks[i];
        QString text = QString::number(mark.iChannel);
        if (!mark.label.empty())
            text += u' ' + Latin1(mark.label);
        const int width = metrics.horizontalAdvance(text);
        const int x = static_cast<int>(std::floor(layout.X(mark.dbFrequency)));
        const QRect box(x - width / 2, top, width, layout.lineHeight);
        if (box.left() <= lastRight + gap) {
            const std::size_t past = lane.UpperBound(layout.FrequencyAt(lastRight + gap + 1 + width / 2.0));
            i = std::max(past, i + 1);
            continue;
        }
        if (box.left() >= layout.left - width / 2 && box.right() <= layout.right + width / 2) {
            labels.push_back(ChannelLabel{box, text});
            lastRight = box.right();
        }
        const std::size_t next = lane.UpperBound(layout.FrequencyAt(box.right() + gap + width / 2.0));
        i = std::max(next, i + 1);
    }
    return labels;
}

void BandChartView::Paint(QPainter& painter, const QSize& size, const QRect& exposed) const
{
    const Layout layout = LayoutFor(size);
    const QPalette& colours = palette();
    const QColor text = colours.color(QPalette::Text);
    const bool bDark = IsDark(colours);
    const QFontMetrics metrics = fontMetrics();
    painter.fillRect(QRect(QPoint(0, 0), size), colours.color(QPalette::Base));
    painter.setFont(font());

    // The TV bands behind the lanes.
    const QColor bandFill = bDark ? QColor(255, 255, 255, 22) : QColor(40, 60, 110, 20);
    const int lanesBottom = layout.laneTop[1] + layout.laneHeight;
    const auto& bands = BroadcastBands();
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const BroadcastBand& band = bands[i];
        if (band.dbEnd < layout.dbStart || band.dbStart > layout.dbEnd)
            continue;
        const int x1 = static_cast<int>(std::max<double>(layout.X(band.dbStart), layout.left));
        const int x2 = static_cast<int>(std::min<double>(layout.X(band.dbEnd), layout.right));
        FillRectOnThisThread(painter, QRect(x1, layout.bandTop, std::max(1, x2 - x1), lanesBottom - layout.bandTop),
                             bandFill);
        // As in the SVG, a narrow band's name runs on past its end (VHF I and
        // Band II FM at the whole axis), up to where the next band begins.
        const int nameEnd = i + 1 < bands.size()
                                ? static_cast<int>(std::min<double>(layout.X(bands[i + 1].dbStart), layout.right))
                                : static_cast<int>(layout.right);
        const QString name = QString::fromLatin1(band.name);
        if (metrics.horizontalAdvance(name) + 4 < nameEnd - x1) {
            painter.setPen(text);
            painter.drawText(QRect(x1 + 3, layout.bandTop, nameEnd - x1 - 3, layout.lineHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, name);
        }
    }

    // The tuner's bands with their codes.
    if (m_chart.HasTuner()) {
        const QColor tunerFill = bDark ? QColor(150, 110, 40) : QColor(242, 227, 196);
        const QColor tunerEdge = bDark ? QColor(220, 170, 80) : QColor(176, 128, 48);
        for (const ChartTunerSpan& span : m_chart.TunerSpans()) {
            // Written so that a span with an edge that is no number is passed over.
            if (!(span.dbEnd >= layout.dbStart && span.dbStart <= layout.dbEnd))
                continue;
            const int x1 = static_cast<int>(std::max<double>(layout.X(span.dbStart), layout.left));
            const int x2 = static_cast<int>(std::min<double>(layout.X(span.dbEnd), layout.right));
            const QRect box(x1, layout.tunerTop, std::max(1, x2 - x1), layout.tunerHeight);
            painter.fillRect(box, tunerFill);
            painter.setPen(tunerEdge);
            painter.drawRect(box.adjusted(0, 0, -1, -1));
            const QString caption = Latin1(span.caption);
            if (metrics.horizontalAdvance(caption) + 6 < box.width()) {
                painter.setPen(text);
                painter.drawText(box.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, caption);
            }
        }
    }

    for (int lane01 = 0; lane01 < BandChart::kLaneCount; ++lane01) {
        const std::int32_t iList = lane01 == 1 ? ChannelModeCable : ChannelModeAir;
        const ChartLane& lane = m_chart.Lane(iList);
        const int top = layout.laneTop[lane01];
        // A lane outside the part painted keeps its pixels.
        if (!exposed.isNull() && !exposed.intersects(QRect(0, top, size.width(), layout.laneHeight)))
            continue;
        painter.setPen(text);
        painter.drawText(QRect(2, top, layout.left - 4, layout.laneHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromLatin1(ChartLaneName(iList)));
        painter.setPen(colours.color(QPalette::Mid));
        painter.drawLine(layout.left, top + layout.laneHeight - 1, layout.right, top + layout.laneHeight - 1);

        // Gaps: a shaded strip at the lane's foot with its width where it fits.
        const QColor gapFill = bDark ? QColor(120, 40, 40) : QColor(251, 225, 225);
        const int gapTop = layout.MarkBottom(lane01) + 2;
        const auto firstGap = std::lower_bound(lane.gaps.begin(), lane.gaps.end(), layout.dbStart,
                                               [](const ChartGap& gap, double f) { return gap.dbEnd < f; });
        // Gaps that meet on screen are shaded as one run, so that thousands
        // of narrow gaps cost a few rectangles.
        const int shortestGapText = metrics.horizontalAdvance(QStringLiteral("8 MHz")) + 4;
        int runStart = 0;
        int runEnd = -1;
        const auto shadeRun = [&] {
            if (runEnd >= runStart)
                painter.fillRect(QRect(runStart, gapTop, std::max(1, runEnd - runStart), layout.lineHeight), gapFill);
        };
        painter.setPen(text);
        for (auto gap = firstGap; gap != lane.gaps.end() && gap->dbStart <= layout.dbEnd; ++gap) {
            const int x1 = static_cast<int>(std::max<double>(layout.X(gap->dbStart), layout.left));
            const int x2 = static_cast<int>(std::min<double>(layout.X(gap->dbEnd), layout.right));
            if (x1 <= runEnd + 1) {
                runEnd = std::max(runEnd, x2);
            } else {
                shadeRun();
                runStart = x1;
                runEnd = x2;
            }
            // Its width in MHz only where even the shortest text fits.
            if (x2 - x1 < shortestGapText)
                continue;
            const QString width = Latin1(MegahertzText(gap->Width()));
            if (metrics.horizontalAdvance(width) + 4 < x2 - x1) {
                shadeRun(); // under the text
                runStart = x2;
                runEnd = x2 - 1;
                painter.fillRect(QRect(x1, gapTop, x2 - x1, layout.lineHeight), gapFill);
                painter.drawText(QRect(x1, gapTop, x2 - x1, layout.lineHeight), Qt::AlignCenter, width);
            }
        }
        shadeRun();

        // The marks, one line per pixel column.
        const std::size_t first = lane.LowerBound(layout.dbStart);
        const std::size_t end = lane.UpperBound(layout.dbEnd);
        const int markTop = layout.MarkTop(lane01);
        const int markBottom = layout.MarkBottom(lane01);
        // Each column is a one-pixel-wide line of its kind's colour, and
        // neighbouring columns of one kind are one rectangle: filled, they
        // cost a small part of what as many drawn lines do (the raster
        // engine's lines cost about 27,000 instructions each).
        QVector<QRect> plain, repeated, uncovered;
        int column = INT_MIN;
        bool bRepeated = false;
        bool bUncovered = false;
        const auto flush = [&] {
            if (column == INT_MIN)
                return;
            QVector<QRect>& runs = bUncovered ? uncovered : bRepeated ? repeated : plain;
            if (!runs.isEmpty() && runs.back().right() == column - 1)
                runs.back().setRight(column);
            else
                runs.append(QRect(column, markTop, 1, markBottom - markTop + 1));
        };
        for (std::size_t i = first; i < end; ++i) {
            const ChartMark& mark = lane.marks[i];
            const int x = static_cast<int>(std::floor(layout.X(mark.dbFrequency)));
            if (x != column) {
                flush();
                column = x;
                bRepeated = false;
                bUncovered = false;
            }
            bRepeated = bRepeated || mark.bRepeated;
            bUncovered = bUncovered || mark.bUncovered;
        }
        flush();
        for (const auto& [runs, colour] : {std::pair<const QVector<QRect>&, QColor>{plain, LaneColour(iList)},
                                           {repeated, kRepeatedColour},
                                           {uncovered, kUncoveredColour}}) {
            // Where a one-pixel pen's line lies: half a pixel left of and
            // above its point, as scaled displays show it.
            for (const QRect& run : runs)
                painter.fillRect(QRectF(run).translated(-0.5, -0.5), colour);
        }

        painter.setPen(text);
        for (const ChannelLabel& label : LabelsOf(lane, top, layout))
            painter.drawText(label.box, Qt::AlignCenter, label.text);
    }

    // The axis with round frequencies.
    painter.setPen(text);
    painter.drawLine(layout.left, layout.axisY, layout.right, layout.axisY);
    const int tickRoom = metrics.horizontalAdvance(QStringLiteral("888.88 MHz")) + 12;
    for (const double tick : AxisTicks(layout.dbStart, layout.dbEnd, std::max(2, layout.Width() / tickRoom))) {
        const int x = static_cast<int>(std::floor(layout.X(tick)));
        painter.drawLine(x, layout.axisY, x, layout.axisY + 4);
        painter.drawText(QRect(x - tickRoom / 2, layout.axisY + 4, tickRoom, layout.lineHeight), Qt::AlignCenter,
                         Latin1(MegahertzText(tick)));
    }

    // The legend.
    int x = layout.left;
    const int y = layout.legendY;
    const auto legend = [&](const QColor& colour, const QString& caption) {
        painter.fillRect(QRect(x, y + 2, 3, layout.lineHeight - 4), colour);
        painter.setPen(text);
        painter.drawText(QPoint(x + 7, y + metrics.ascent()), caption);
        x += 7 + metrics.horizontalAdvance(caption) + metrics.horizontalAdvance(QStringLiteral("MM"));
    };
    legend(LaneColour(ChannelModeAir), QStringLiteral("air"));
    legend(LaneColour(ChannelModeCable), QStringLiteral("cable"));
    legend(kRepeatedColour, QStringLiteral("repeated"));
    if (m_chart.HasTuner())
        legend(kUncoveredColour, QStringLiteral("outside tuner ") + Latin1(m_chart.TunerTitle()));
}

void BandChartView::paintEvent(QPaintEvent* pEvent)
{
    QPainter painter(this);
    Paint(painter, size(), pEvent->rect());
}

void BandChartView::wheelEvent(QWheelEvent* pEvent)
{
    const int notches = pEvent->angleDelta().y();
    if (notches == 0) {
        pEvent->ignore();
        return;
    }
    const Layout layout = LayoutFor(size());
    Zoom(std::pow(kZoomStep, notches / 120.0), layout.FrequencyAt(pEvent->position().x()));
    pEvent->accept();
}

void BandChartView::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(pEvent);
        return;
    }
    m_pressAt = pEvent->position().toPoint();
    m_dbPressViewStart = m_dbViewStart;
    m_bDragging = false;
}

void BandChartView::mouseMoveEvent(QMouseEvent* pEvent)
{
    if (!m_pressAt || !(pEvent->buttons() & Qt::LeftButton))
        return;
    const int dx = pEvent->position().toPoint().x() - m_pressAt->x();
    if (!m_bDragging && std::abs(dx) < QApplication::startDragDistance())
        return;
    m_bDragging = true;
    setCursor(Qt::ClosedHandCursor);
    const Layout layout = LayoutFor(size());
    const double span = m_dbViewEnd - m_dbViewStart;
    const double start = m_dbPressViewStart - dx * span / layout.Width();
    SetView(start, start + span);
}

void BandChartView::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::LeftButton || !m_pressAt)
        return;
    const bool bClick = !m_bDragging;
    m_pressAt.reset();
    m_bDragging = false;
    unsetCursor();
    if (!bClick)
        return;
    if (const std::optional<MarkRef> mark = MarkAt(pEvent->position().toPoint()); mark && onActivate)
        onActivate(mark->iList, mark->iChannel);
}

void BandChartView::keyPressEvent(QKeyEvent* pEvent)
{
    const double middle = (m_dbViewStart + m_dbViewEnd) / 2;
    switch (pEvent->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: Zoom(kZoomStep, middle); break;
    case Qt::Key_Minus: Zoom(1.0 / kZoomStep, middle); break;
    case Qt::Key_Left: Pan(-kPanStep); break;
    case Qt::Key_Right: Pan(kPanStep); break;
    case Qt::Key_Home: ShowWholeAxis(); break;
    default: QWidget::keyPressEvent(pEvent); return;
    }
    pEvent->accept();
}
