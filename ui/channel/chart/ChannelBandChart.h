#pragma once
// Table > Band Chart of the channel table editor, as a part of its own: the
// chart's window beside the editor, made at the first call, following every
// change of the document (undo and redo included) and of the chosen tuner.
// A click on a mark selects its row in the editor.

#include <cstdint>
#include <functional>
#include <memory>

#include <QPointer>

class CBandChartWindow;
class PlanLabels;
class ChannelRows;
class ChannelTableDocument;
class ChannelTunerCheck;
struct DocumentNews;
class QWidget;
class UserServices;

class ChannelBandChart
{
public:
    // activate selects a channel of a list in the editor; the rows give the
    // plan labels that name the marks, as they name the rows.
    ChannelBandChart(ChannelTableDocument& document, UserServices& services, QWidget& owner,
                     const ChannelTunerCheck& tunerCheck, ChannelRows& rows,
                     std::function<void(std::int32_t, std::int32_t)> activate);
    ~ChannelBandChart();

    // The command: the window shown, with the chart of the table as it is now.
    void Show();
    // The chart made anew, for another tuner or another table; a closed
    // window is brought up to date when it opens again.
    void ShowChart();

    CBandChartWindow* Window() const;

private:
    // Only the table's name, after a save.
    void ShowName();
    // The chart after an edit: only the lane of the one list it changed, or
    // the whole chart.
    void FollowEdit(const DocumentNews& news);

    ChannelTableDocument& m_document;
    UserServices& m_services;
    QWidget& m_owner;
    const ChannelTunerCheck& m_tunerCheck;
    ChannelRows& m_rows;
    std::function<void(std::int32_t, std::int32_t)> m_activate;
    QPointer<CBandChartWindow> m_pWindow;
    // The labels the chart shown was made with.
    std::shared_ptr<const PlanLabels> m_chartLabels;
    int m_iListener = 0;
};
