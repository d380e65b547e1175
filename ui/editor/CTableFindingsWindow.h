#pragma once
// The findings of a table check in a window of their own beside the editor:
// one row per finding (severity, list, channel or entry, message), in the
// order the check found them. The window is not modal: the person keeps
// editing while it is open, and the editor refills it when it checks again.
// Activating a row (double click, Enter) hands its list and position to the
// editor, which selects that row.
//
// An editor uses it so:
//
//     std::vector<TableFinding> findings;
//     CheckChannelTableInMemory(*Table(), [&](const TableFinding& f) { findings.push_back(f); });
//     m_pFindings->onActivate = [this](int list, int position) { ... select the row ... };
//     m_pFindings->ShowFindings(findings, FindingKind::Channel);

#include <functional>
#include <optional>
#include <vector>

#include <QWidget>

#include "tables/analysis/TableChecks.h"
#include "tables/analysis/TunerCoverage.h"

class QLabel;
class QTreeView;
class FindingsModel;

// The channels of a channel table that the tuner it was judged against
// cannot tune, listed after the table's own findings. Each row's text is made
// only while the row is shown, so that 100,000 of them cost the window no
// more than their positions.
struct TunerFindings
{
    TunerBands tuner;
    std::vector<UncoveredChannel> uncovered;
    // Leads the summary: "Against tuner 03:12 Philips FI1216MF: 3 channels outside".
    QString judgedAgainst;
};

// The finding of one of those channels, as its row shows it.
TableFinding UncoveredFinding(const UncoveredChannel& channel, const TunerBands& tuner);

// What the positions of the findings count: channels of a channel table's
// lists (or of an old table's), or entries of a tuner table.
enum class FindingKind
{
    Channel,
    Tuner,
};

// Where a window of `size` (with its frame) opens beside `editor` (the
// editor's frame): right of it where the available area has room, else left
// of it, else against the edge of the wider side; always wholly inside
// `available`, shrunk to it where it is larger.
QRect PlaceBeside(const QRect& editor, const QSize& size, const QRect& available);

// Moves and sizes a window of an editor (its parent) to PlaceBeside's place,
// inside the available area of the editor's screen.
void MoveBesideEditor(QWidget& window);

class CTableFindingsWindow : public QWidget
{
    Q_OBJECT

public:
    // A window of its own over pParent (the editor), never modal.
    explicit CTableFindingsWindow(QWidget* pParent = nullptr);
    ~CTableFindingsWindow() override;

    // Replaces the findings shown, keeping the window as it is (shown or not):
    // the table's own, then those of a tuner it was judged against, if any,
    // whose line leads the summary. The findings are taken by value, so that
    // a check's own list moves in without a copy of every message.
    void SetFindings(std::vector<TableFinding> findings, FindingKind kind,
                     std::optional<TunerFindings> tuner = std::nullopt);
    // Replaces them and brings the window to the front.
    void ShowFindings(std::vector<TableFinding> findings, FindingKind kind,
                      std::optional<TunerFindings> tuner = std::nullopt);
    // The same for a tuner table's findings, kept as its entries' rows.
    void SetFindings(TunerTableFindings findings);
    void ShowFindings(TunerTableFindings findings);

    // Called when a row is activated, with the finding's list (ChannelModeAir,
    // ChannelModeCable, or ChannelModeNone for the file, its header and tuner
    // entries) and its 1-based channel or entry, 0 when it names none (the
    // file, the header, a list's stored range).
    std::function<void(int list, int position)> onActivate;

    // What the window shows, for whoever drives it.
    QTreeView* FindingsView() const { return m_pView; }
    QString SummaryText() const;
    int FindingCount() const;

    // Shows the window beside the editor, the first time, and brings it forward.
    void Present();

private:
    void ShowSummary(const QString& judgedAgainst);
    void Activate(int row);
    // Wider for the first findings' messages, before the window is first shown.
    void WidenForMessages();

    FindingsModel* m_pModel;
    QLabel* m_pSummary;
    QTreeView* m_pView;
};
