#pragma once
// The window of Table > Coverage Matrix...: channel tables against every
// tuner of a tuner table, as `vornalix-tool matrix` counts them. Not modal:
// the person keeps editing, and the first row, the table being edited,
// follows each edit. The other rows are read and counted off the interface
// thread while a progress bar counts them down; closing the window stops
// that and lets the window go. Activating a cell hands its row and tuner to
// the editor.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QStringList>
#include <QWidget>

#include "ui/channel/ChannelTunerCheck.h"
#include "ui/channel/matrix/MatrixCounter.h"

class ChannelTableDocument;
class CoverageMatrixModel;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

class CoverageMatrixWindow : public QWidget
{
    Q_OBJECT

public:
    // A window of its own over pParent (the editor), gone once closed.
    explicit CoverageMatrixWindow(QWidget* pParent = nullptr);
    ~CoverageMatrixWindow() override;

    // The tuners of the columns; every row is counted again against them.
    void SetTuners(TunerTableTuners tuners);
    const TunerTableTuners& Tuners() const { return m_tuners; }
    // The first row: the editor's table as it stands, counted here at once
    // (it is one table), or only named anew.
    void ShowOpenTable(const ChannelTableDocument& document, bool bCount);
    // A row for each file not shown yet, counted off this thread.
    void AddTables(const QStringList& paths);

    // A cell activated: its row and tuner (none for the table's own columns).
    std::function<void(int row, std::optional<std::size_t> tuner)> onActivate;
    std::function<void()> onAddTables;
    std::function<void()> onAddFolder;
    std::function<void()> onExport;

    CoverageMatrixModel& Model() const { return *m_pModel; }
    QTableView* View() const { return m_pView; }
    QString CoveringText() const;
    QString ProgressText() const;
    bool IsCounting() const;

private:
    // The rows from `first` on, counted off this thread.
    void CountRows(int first);
    void TakeCounted(std::uint64_t round, const std::vector<MatrixCounter::Counted>& counted);
    void ShowProgress();
    void Activate(const QModelIndex& index);

    TunerTableTuners m_tuners;
    MatrixCounter::Tuners m_pBands;
    // A new tuner table begins another round; counts of an earlier one are dropped.
    std::uint64_t m_round = 0;
    int m_rowsToCount = 0;
    CoverageMatrixModel* m_pModel;
    MatrixCounter* m_pCounter;
    QLabel* m_pCovering;
    QProgressBar* m_pProgress;
    QTableView* m_pView;
    QPushButton* m_pExport;
};
