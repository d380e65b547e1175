#pragma once
// The channel table editor: makes or loads one channel table, edits its air and
// cable lists one at a time and its country code, and saves it.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QIcon>

#include "edit/ChannelTableDocument.h"
#include "edit/TunerChoice.h"
#include "ui/app/UserServices.h"
#include "ui/channel/ChannelListAccess.h"
#include "ui/dialog/CDialog.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/CTableFindingsWindow.h"
#include "ui/editor/DocumentRecovery.h"
#include "ui/editor/EditorCommands.h"

class CBandChartWindow;
class ChannelBandChart;
class CTableFindingsWindow;
class ChannelTableCompare;
class ChannelCoverageMatrix;
class PlanLabels;
class ChannelBulkEdits;
class ChannelClipboard;
class ChannelRows;
class FrequencyCells;
class ChannelTransfer;
class ChannelNavigation;
class ChannelTableCheck;
class ChannelTunerCheck;
class EditorFrame;
class EditorStatusLine;
class QContextMenuEvent;
class QTimer;

class CFrequencyTableDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CFrequencyTableDlg(UserServices& services, QWidget* pParent = nullptr);
    ~CFrequencyTableDlg() override;

    bool OnCommand(int id) override;
    // The load command with its file already chosen.
    bool OpenFile(const QString& path) override;
    // The About item stands where the title-bar menu would hold it; commands 16
    // to 31 open the About box.
    void OnSysCommand(unsigned nID);
    // "New from Plan..." (the same menu and Ctrl+P): the chooser over the
    // installed and own channel plans, then a new table filled from the choice.
    void OnNewFromPlan();

    // State as the handlers leave it, for whoever drives the dialog.
    const ChannelTableDocument& Document() const { return m_document; }
    const ChannelTable* Table() const { return m_document.Table(); }
    std::int32_t Mode() const { return m_document.Mode(); }
    std::int32_t Origin() const { return m_document.Origin(); }
    // The channel the row menu acts on (the first selected row + 1 at the
    // right click).
    std::int32_t SelIndex() const { return m_iSelIndex; }
    // The channel "Save value" writes (the last clicked row + 1; 0 for none).
    // It keeps its value until the next click, across every command.
    std::int32_t EditIndex() const { return m_iEditIndex; }
    // The number the Channel Number display shows; each command says which.
    std::int32_t ShownChannel() const { return m_iShownChannel; }
    // The country code as the Country Code display shows it: as typed at the
    // last "Enter", even a code the table refused, else the table's own code
    // as a load, a new table, undo or redo left it.
    struct ShownCode
    {
        QString text;
        std::int32_t iCode = 0;
    };
    const ShownCode& ShownCountryCode() const { return m_shownCode; }

    // The tuner the table is judged against, kept while the editor is open.
    const std::optional<TunerChoice>& ChosenTuner() const;
    void ChooseTuner(std::optional<TunerChoice> choice);
    // What Check Against Tuner... does once its tuner is chosen: the choice
    // kept, and the findings shown with that tuner's.
    void CheckAgainstTuner(TunerChoice choice);
    // The tuner catalogue that names the tuners offered by "Check Against
    // Tuner...", instead of the one the tuner editor would find.
    void SetCataloguePath(const std::string& path);

    // The band chart's window while it exists (Table > Band Chart).
    CBandChartWindow* BandChartWindow() const;

signals:
    // Another tuner is chosen, or none.
    void TunerChosen();

protected:
    bool OnInitDialog() override;
    void OnDestroy() override;
    bool PreTranslateMessage(QWidget* pTarget, QKeyEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private slots:
    void OnConvert();

private:
    friend struct SharedEditorCommands;

    void InitColumns();
    // Every display as the document holds it; cheap when nothing changed,
    // so that each handler and the document's announcements may call it.
    void ShowDocument();
    void ShowModeText();
    void ShowCountryCode();
    // The Frequency field keeps the value it shows for the edit target in
    // step with the document, or is cleared once that channel is another one.
    void ShowTargetFrequency();
    void EnableTableControls(bool bEnable);
    void EnableChannelControls(bool bEnable);
    void SetMode(std::int32_t i);
    void RefreshList();
    // The list's rows (ChannelRows.h).
    std::unique_ptr<ChannelRows> m_pRows;
    // The frequencies edited in their cells (FrequencyCells.h).
    std::unique_ptr<FrequencyCells> m_pFrequencyCells;
    void ShowChannelNumber(std::int32_t n);
    ChannelRange ShowRange(std::int32_t iMode);
    void ShowRangesOfChangedLists();
    void ShowChannel(std::int32_t iChannel);
    void ShowCountry(std::int32_t iCode);
    QString TakeFrequencyText();
    FileDialogRequest TableFileRequest(bool bOpen) const;

    // Message map.
    void OnSelEndOkMode();
    void OnCountryCodeEnter();
    void OnSaveToFile();
    void OnSaveAs();
    void SaveToChosenFile(const FileDialogRequest& request);
    void OnCreateNew();
    void OnAddToEnd();
    void OnLoadFromFile();
    void OnOpen();
    void OpenChosenFile(const FileDialogRequest& request);
    void OnReset();
    void OnSaveValue();
    void OnClickList();
    void OnRightClickList();

    // Undo and redo (CFrequencyTableDlgMenus.cpp).
    void OnUndo();
    // Undo (backwards) or redo, and the country code they bring back.
    void MoveThroughHistory(bool bForward);
    void OnRedo();

    // A table loaded, or made from a plan: the list of the mode shown, and
    // the channel number when one is given.
    void ShowLoadedTable(std::int32_t iMode = ChannelModeAir, std::optional<std::int32_t> shownChannel = {});
    // After Copy to This Table: its note, and the table's own code when it changed.
    void ShowCopiedTable(const QString& note, bool bCodeChanged);

    // The commands of the menu bar, the row menu and the keys, each once
    // (CFrequencyTableDlgMenus.cpp).
    static const EditorCommands<CFrequencyTableDlg>& Commands();
    void InitMenus();
    // Makes the menu bar's items current (enabled, texts); the frame calls
    // it before a menu opens and before a key is tried as a shortcut.
    void UpdateCommandStates();
    void RememberFile(const QString& path);
    void OnSave();
    void OnOpenRecent(int index);
    // Selects the channel's row alone, shows it, and shows the channel as a click would.
    void SelectChannel(std::int32_t iChannel);
    // The row menu's own items: a blank channel at the row clicked, and the
    // selected channels deleted.
    void OnInsertBlankItem();
    void OnDeleteSelectedItems();
    // Import, export and the check (CFrequencyTableDlgTransfer.cpp).
    void OnImport();
    void OnExport();
    // The lists of a CSV file, as Import... takes them.
    void OnCheckTable();
    // A finding activated in the check's window: its list, and its channel selected.
    void ShowFinding(std::int32_t iList, std::int32_t iChannel);
    // Table > Band Chart: the chart's window (ChannelBandChart.h).
    void OnBandChart();
    // ---- Bulk edits of the selected rows (CFrequencyTableDlgBulk.cpp) ----
    // Their commands, in the Edit menu and in the row menu behind its own items.
    static CommandGroup<CFrequencyTableDlg> BulkCommands();
    std::vector<std::int32_t> SelectedChannels() const;
    // The range and the list shown again, with these channels selected.
    void ShowBulkResult(const std::vector<std::int32_t>& selected);
    std::unique_ptr<ChannelBulkEdits> m_pBulkEdits;
    // ---- end of the bulk edits ----
    // Copy and Paste of rows: their commands and their part.
    static CommandGroup<CFrequencyTableDlg> ClipboardCommands();
    // View > Columns: the list's columns beyond the number and frequency.
    static CommandGroup<CFrequencyTableDlg> ColumnCommands();
    // A part's commands as the editor's (CFrequencyTableDlgBulk.cpp).
    template <class Part>
    static CommandGroup<CFrequencyTableDlg> CommandsOf(const std::vector<PartCommand<Part>>& commands,
                                                       Part& (*part)(CFrequencyTableDlg&));
    std::unique_ptr<ChannelClipboard> m_pClipboard;
    // Import... and Export... (ChannelTransfer.h).
    std::unique_ptr<ChannelTransfer> m_pTransfer;
    // Go to Channel... and Find Frequency... (ChannelNavigation.h).
    std::unique_ptr<ChannelNavigation> m_pNavigation;
    // What the parts need of the list.
    ChannelListAccess ListAccess();

    // Table > Check Against Tuner...: a tuner chosen (ChannelTunerCheck.h),
    // and the table checked against it.
    void OnCheckAgainstTuner();
    std::unique_ptr<ChannelTunerCheck> m_pTunerCheck;

    int InsertBlankItem(std::int32_t k);
    int DeleteItem(std::int32_t k);
    int DeleteItems(const std::vector<std::int32_t>& indices);

    QIcon m_hIcon;
    // The table, its mode and origin.
    ChannelTableDocument m_document;
    std::int32_t m_iSelIndex = 0;
    std::int32_t m_iEditIndex = 0;
    std::int32_t m_iShownChannel = 0;
    ShownCode m_shownCode;
    // The targets and displays as the editor opens and after it closes.
    void ResetShownState();
    // The Country Code display names the table's own code again.
    void ShowTableCode();
    int m_iDocumentListener = 0;
    // The controls a table enables stay enabled while the dialog lives.
    bool m_bTableControlsEnabled = false;
    // The list version the range statics were last brought up to date at,
    // and whether the change being shown is an undo or redo.
    std::uint64_t m_rangesAtListVersion = 0;
    const ChannelTable* m_pRangesTable = nullptr;
    bool m_bHistoryMove = false;
    // The channel whose value the Frequency field shows, while it shows one
    // (not once the person types or a command clears it).
    struct ShownFrequency
    {
        std::int32_t iChannel = 0;
        std::uint64_t listShape = 0;
    };
    std::optional<ShownFrequency> m_shownFrequency;
    std::vector<MenuItem> m_systemMenu;
    // The copy of the table while it has unsaved changes, written about a
    // second after the last change.
    std::unique_ptr<DocumentRecovery<ChannelTableDocument>> m_pRecovery;
    // Check Table and its window, which follows the document (a child object).
    ChannelTableCheck* m_pTableCheck = nullptr;
    ChannelTableCompare* m_pCompare = nullptr;
    // Table > Coverage Matrix... (matrix/ChannelCoverageMatrix.h).
    ChannelCoverageMatrix* m_pMatrix = nullptr;
    EditorFrame* m_pFrame = nullptr;
    EditorStatusLine* m_pStatusLine = nullptr;
    // The status line shown again when the document has nothing to announce.
    std::function<void()> m_showStatusLine;
    // After the document, which its listener outlives no longer.
    std::unique_ptr<ChannelBandChart> m_pBandChart;
};
