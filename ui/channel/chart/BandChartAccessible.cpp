// The band chart as a screen reader reads it: a list whose items are the
// marks, air first, each by frequency, each named as ChartMarkText says
// ("air channel 5, 175.25 MHz, E5, outside the tuner"). Two lists of 65,535
// channels make 131,070 items, so an item's interface is made only when it
// is asked for, kept by the chart until its model changes, and then dropped.

#include <QAccessibleWidget>
#include <QPointer>

#include "ui/channel/chart/CBandChartWindow.h"

namespace {

class MarkAccessible : public QAccessibleInterface
{
public:
    MarkAccessible(const BandChartView* pView, int index) : m_pView(pView), m_index(index) {}

    bool isValid() const override { return m_pView && m_index < m_pView->AccessibleMarkCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_pView ? m_pView->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return m_pView ? QAccessible::queryAccessibleInterface(const_cast<BandChartView*>(m_pView.data())) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return {};
        std::int32_t iList = 0;
        const ChartMark* pMark = m_pView->MarkOfIndex(m_index, &iList);
        return pMark ? QString::fromStdString(ChartMarkText(iList, *pMark)) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect local = m_pView->MarkRect(m_index);
        return local.isNull() ? QRect() : QRect(m_pView->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.selectable = true;
        state.invisible = !isValid() || m_pView->MarkRect(m_index).isNull();
        state.offscreen = state.invisible;
        return state;
    }

    int Index() const { return m_index; }
    const BandChartView* View() const { return m_pView; }

private:
    QPointer<const BandChartView> m_pView;
    int m_index;
};

class ChartAccessible : public QAccessibleWidget
{
public:
    explicit ChartAccessible(BandChartView* pView) : QAccessibleWidget(pView, QAccessible::List) {}

    int childCount() const override { return View()->AccessibleMarkCount(); }
    QAccessibleInterface* child(int index) const override { return View()->MarkInterface(index); }
    int indexOfChild(const QAccessibleInterface* pChild) const override { return View()->IndexOfMarkInterface(pChild); }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const std::optional<BandChartView::MarkRef> mark = View()->MarkAt(View()->mapFromGlobal(QPoint(x, y)));
        if (!mark)
            return nullptr;
        // The index of that mark among the children.
        const BandChart& chart = View()->Chart();
        const ChartLane& lane = chart.Lane(mark->iList);
        const std::optional<std::size_t> position = lane.MarkOfChannel(mark->iChannel);
        if (!position)
            return nullptr;
        const std::size_t before = mark->iList == ChannelModeCable ? chart.Lane(ChannelModeAir).marks.size() : 0;
        return View()->MarkInterface(static_cast<int>(before + *position));
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && View()->accessibleName().isEmpty())
            return QStringLiteral("Band chart");
        return QAccessibleWidget::text(t);
    }

private:
    BandChartView* View() const { return static_cast<BandChartView*>(widget()); }
};

QAccessibleInterface* ChartFactory(const QString& className, QObject* pObject)
{
    if (className == QLatin1String("BandChartView") && pObject && pObject->isWidgetType())
        return new ChartAccessible(static_cast<BandChartView*>(pObject));
    return nullptr;
}

} // namespace

void InstallBandChartAccessible()
{
    static const bool bInstalled = [] {
        QAccessible::installFactory(ChartFactory);
        return true;
    }();
    Q_UNUSED(bInstalled);
}

const ChartMark* BandChartView::MarkOfIndex(int index, std::int32_t* piList) const
{
    if (index < 0)
        return nullptr;
    const ChartLane& air = m_chart.Lane(ChannelModeAir);
    const ChartLane& cable = m_chart.Lane(ChannelModeCable);
    auto position = static_cast<std::size_t>(index);
    if (position < air.marks.size()) {
        *piList = ChannelModeAir;
        return &air.marks[position];
    }
    position -= air.marks.size();
    if (position < cable.marks.size()) {
        *piList = ChannelModeCable;
        return &cable.marks[position];
    }
    return nullptr;
}

std::optional<BandChartView::MarkRef> BandChartView::AccessibleMark(int index) const
{
    std::int32_t iList = 0;
    const ChartMark* pMark = MarkOfIndex(index, &iList);
    if (!pMark)
        return std::nullopt;
    return MarkRef{iList, pMark->iChannel};
}

QRect BandChartView::MarkRect(int index) const
{
    const std::optional<MarkRef> mark = AccessibleMark(index);
    if (!mark)
        return {};
    const std::optional<QPoint> at = MarkPosition(mark->iList, mark->iChannel);
    if (!at)
        return {};
    const int half = fontMetrics().height();
    return QRect(at->x() - 1, at->y() - half, 3, 2 * half);
}

QAccessibleInterface* BandChartView::MarkInterface(int index) const
{
    if (index < 0 || index >= AccessibleMarkCount())
        return nullptr;
    const auto known = m_markInterfaces.find(index);
    if (known != m_markInterfaces.end())
        return QAccessible::accessibleInterface(known->second);
    auto* pInterface = new MarkAccessible(this, index);
    m_markInterfaces.emplace(index, QAccessible::registerAccessibleInterface(pInterface));
    return pInterface;
}

int BandChartView::IndexOfMarkInterface(const QAccessibleInterface* pInterface) const
{
    const auto* pMark = dynamic_cast<const MarkAccessible*>(pInterface);
    if (!pMark || pMark->View() != this)
        return -1;
    return pMark->Index();
}

void BandChartView::ForgetMarkInterfaces()
{
    for (const auto& [index, id] : m_markInterfaces)
        QAccessible::deleteAccessibleInterface(id);
    m_markInterfaces.clear();
}
