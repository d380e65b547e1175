#pragma once
// The channel editor's band chart (Table > Band Chart) in a window of its own
// beside the editor: the model of tables/analysis/BandChart.h painted, the editor
// handing it a new model with every change of its document and of the chosen
// tuner. Clicking a mark hands its list and channel to the editor, which
// selects that row. The wheel zooms around the pointer, a drag pans; for the
// keyboard + and - zoom, the arrows pan and Home shows the whole axis. A
// screen reader reads the chart as a list of its marks. Export... writes the
// chart as SVG (the tool's writer) or as a PNG of the chart painted at the
// size asked for.
//
// The editor uses it so:
//
//     m_pBandChart = new CBandChartWindow(Services(), this);
//     m_pBandChart->onActivate = [this](int list, int channel) { ... select the row ... };
//     m_pBandChart->SetChart(BandChart(air, cable, tuner), "de.ccf", FileNamesOf(m_document));
//     m_pBandChart->ShowWindow();

#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

#include <QAccessible>
#include <QColor>
#include <QWidget>

#include "tables/analysis/BandChart.h"
#include "ui/editor/EditorFileCommands.h"

class QLabel;
class QPainter;
class QPushButton;
class UserServices;

// Screen readers read every BandChartView as the list of its marks; once is
// enough, later calls do nothing.
void InstallBandChartAccessible();

// The chart itself: paints a BandChart over the frequency span it shows.
class BandChartView : public QWidget
{
    Q_OBJECT

public:
    explicit BandChartView(QWidget* pParent = nullptr);
    ~BandChartView() override;

    // A new model; the span shown stays where it lies inside the new axis,
    // else the whole axis is shown.
    void SetChart(BandChart chart);
    // One list's lane made anew (BandChart::RemakeLane), the span shown kept
    // as SetChart keeps it.
    void RemakeLane(std::int32_t iList, const std::vector<double>& frequencies, const ChannelLabelFunction& labels);
    const BandChart& Chart() const { return m_chart; }

    // The frequencies shown from the left to the right edge of the lanes.
    double ViewStart() const { return m_dbViewStart; }
    double ViewEnd() const { return m_dbViewEnd; }
    void SetView(double dbStart, double dbEnd);
    void ShowWholeAxis();
    // Zooms by factor (above 1: in) keeping dbAround where it is.
    void Zoom(double factor, double dbAround);
    // Pans by a share of the span shown (negative: to lower frequencies).
    void Pan(double share);

    // Where a channel's mark is drawn (the middle of its line), none when it
    // has none or lies outside the span shown.
    std::optional<QPoint> MarkPosition(std::int32_t iList, std::int32_t iChannel) const;
    // The chart painted at this size, as a PNG file's bytes; empty when the
    // image cannot be had (memory).
    QByteArray PngImage(const QSize& size) const;
    // The mark under a point (within a few pixels), as list and channel.
    struct MarkRef
    {
        std::int32_t iList = 0;
        std::int32_t iChannel = 0;
    };
    std::optional<MarkRef> MarkAt(const QPoint& point) const;
    // The colour a lane's plain marks are drawn in, against this palette.
    QColor LaneColour(std::int32_t iList) const;

    // Paints the chart into any painter at any size: the widget, and Export's
    // PNG. A lane wholly outside exposed (when given) is left as it is.
    void Paint(QPainter& painter, const QSize& size, const QRect& exposed = QRect()) const;
    // The channel numbers (and plan labels) of a lane painted at this size,
    // each with its box: only where it has room, none overlapping another.
    struct ChannelLabel
    {
        QRect box;
        QString text;
    };
    std::vector<ChannelLabel> ChannelLabels(std::int32_t iList, const QSize& size) const;

    // The marks as the accessible list's children: air marks first, then
    // cable, each by frequency.
    int AccessibleMarkCount() const { return static_cast<int>(m_chart.MarkCount()); }
    std::optional<MarkRef> AccessibleMark(int index) const;
    const ChartMark* MarkOfIndex(int index, std::int32_t* piList) const;
    QRect MarkRect(int index) const;
    // The accessible interface of a mark, made when first asked for and kept
    // until the model changes.
    QAccessibleInterface* MarkInterface(int index) const;
    int IndexOfMarkInterface(const QAccessibleInterface* pInterface) const;

    std::function<void(std::int32_t iList, std::int32_t iChannel)> onActivate;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    struct Layout;
    Layout LayoutFor(const QSize& size) const;
    std::vector<ChannelLabel> LabelsOf(const ChartLane& lane, int top, const Layout& layout) const;
    void ForgetMarkInterfaces();
    // What follows a new model: the span shown, the screen readers' marks, a repaint.
    void ChartChanged(double dbOldAxisStart, double dbOldAxisEnd);
    // The screen readers' marks made anew.
    void MarksChanged();

    BandChart m_chart;
    double m_dbViewStart = 0.0;
    double m_dbViewEnd = 1.0;
    // A press that has not moved beyond the drag distance is a click.
    std::optional<QPoint> m_pressAt;
    double m_dbPressViewStart = 0.0;
    bool m_bDragging = false;
    mutable std::unordered_map<int, QAccessible::Id> m_markInterfaces;
};

class CBandChartWindow : public QWidget
{
    Q_OBJECT

public:
    // A window of its own over pParent (the editor), never modal.
    CBandChartWindow(UserServices& services, QWidget* pParent = nullptr);
    ~CBandChartWindow() override;

    // The chart of the table named tableName ("de.ccf"); names are what the
    // export's file dialog proposes.
    void SetChart(BandChart chart, const QString& tableName, const TableFileNames& names);
    // One list's lane made anew, after an edit of that list alone.
    void RemakeLane(std::int32_t iList, const std::vector<double>& frequencies, const ChannelLabelFunction& labels);
    // The same chart, the table named anew (a save under another name).
    void SetTitleName(const QString& tableName, const TableFileNames& names);
    // Shows the window, beside the editor the first time, and brings it to the front.
    void ShowWindow();

    BandChartView* View() const { return m_pView; }
    QString SummaryText() const;
    // Export...: SVG or PNG by the name's extension, else by the filter chosen.
    void OnExport();

    std::function<void(std::int32_t iList, std::int32_t iChannel)> onActivate;

private:
    bool WritePng(const QString& path);
    void ShowSummary();

    UserServices& m_services;
    BandChartView* m_pView;
    QLabel* m_pSummary;
    QPushButton* m_pExport;
    QString m_tableName;
    TableFileNames m_names;
};
