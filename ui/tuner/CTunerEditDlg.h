#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QPointer>

#include "edit/TunerTableDocument.h"
#include "tables/catalogue/ShippedTuners.h"
#include "tables/catalogue/TunerCatalogue.h"
#include "tables/format/TunerSpecTable.h"
#include "ui/app/UserServices.h"
#include "ui/dialog/CDialog.h"
#include "ui/editor/DocumentRecovery.h"
#include "ui/editor/EditorCommands.h"


class CTableFindingsWindow;
class TunerTableCheck;
class EditorFrame;
class EditorStatusLine;
class QTimer;

// The tuner specification editor: builds a table of tuner models from the
// factories and tuner types of the tuner catalogue and the band data typed
// for each, shows its entries and reads and writes it as a .tsf file. It
// speaks to the person only about bad input and about a save that failed.
class CTunerEditDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CTunerEditDlg(UserServices& services, QWidget* pParent = nullptr);
    ~CTunerEditDlg() override;

    // Reads the catalogue from this file instead of looking it up where the
    // program's catalogue lies; takes effect when the dialog opens.
    void SetCataloguePath(const std::string& path) { m_cataloguePath = path; }

    bool DestroyWindow() override;
    bool OnCommand(int id) override;
    // "Load File" with its file already chosen.
    bool OpenFile(const QString& path) override;

    // 1-based position of the first selected row at the last right click, 0
    // when none was selected: the entry the row menu acts on.
    std::int32_t MenuPos() const { return m_iMenuPos; }
    // The entry the details area shows: the last one clicked or added, also
    // one whose key was taken; none once undo or redo took it out of the table.
    const std::optional<TunerSpecEntry>& ShownEntry() const { return m_shownEntry; }
    const TunerTableDocument& Document() const { return m_document; }
    // View > Columns > Band Edges: a column after the list's three that shows
    // each entry's band edges, off until it is asked for; the choice is kept
    // for every later editor.
    bool ShowsBandEdges() const { return m_bShowBandEdges; }
    void ToggleBandEdges();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool PreTranslateMessage(QWidget* pTarget, QKeyEvent* pEvent) override;

private:
    friend struct SharedEditorCommands;

    void OnSelchangeComboFactory();
    void OnSelchangeComboTunerType();
    void OnCreateNew();
    void OnOpenRecent(int index);
    void OnAddInfo();
    void OnSaveFile();
    void OnSaveAs();
    void SaveToChosenFile(const FileDialogRequest& request);
    void OnLoadFile();
    void OnOpen();
    void OpenChosenFile(const FileDialogRequest& request);
    void OnClickListTuner();
    void OnKeydownListTuner(int key);
    void OnRclickListTuner();
    void OnDeleteTuner();

    // Between the list and the inputs (CTunerEditDlgInputs.cpp).
    // "Copy to Inputs": the first selected entry's values into the inputs.
    void OnCopyToInputs();
    // "Replace Entry": the inputs, checked as "Add Info" checks them, replace
    // the entry with their key.
    void OnReplaceEntry();
    // "Fill from Tuner Data": the chosen shipped tuner's bands, codes and
    // carrier into the inputs.
    void OnFillFromTunerData();
    // The entry of the first selected row, when there is one.
    std::optional<TunerSpecEntry> SelectedEntry() const;
    // Whether there is one, without walking the list to it: the rule of Copy
    // to Inputs, asked at every key press.
    bool HasSelectedEntry() const;
    // The shipped tuner that the chosen factory and tuner type name; none
    // without both chosen or when no shipped tuner is theirs.
    const ShippedTuner* ChosenShippedTuner() const;
    // The chosen factory and tuner type with the texts of the inputs; none
    // while either is not chosen.
    std::optional<TunerInput> ReadInputs() const;
    // The factory and tuner type of these codes chosen in the combo boxes
    // (none chosen for a code they do not list).
    void ChooseCodes(std::int32_t iFactory, std::int32_t iTunerType);
    // The tuner types of a factory into their combo box; a factory without a
    // list of its own leaves those of the previous one.
    void FillTunerTypes(std::int32_t iFactory);
    struct InputTexts
    {
        double dbLowBandStart, dbMidBandStart, dbHighBandStart, dbHighBandEnd;
        std::uint16_t wLowCode, wMidCode, wHighCode;
        double dbPictureCarrier, dbPictureCarrier2;
    };
    void SetInputTexts(const InputTexts& values);

    // The commands of the menu bar, the row menu and the keys, each once
    // (CTunerEditDlgMenus.cpp).
    static const EditorCommands<CTunerEditDlg>& Commands();
    void InitMenus();
    // Makes the menu bar's items current (enabled, texts); the frame calls
    // it before a menu opens and before a key is tried as a shortcut.
    void UpdateCommandStates();
    void OnSave();
    void OnImport();
    void OnExport();
    void OnCheckTable();
    // A finding activated in the check's window: its entry selected and shown.
    void ShowFinding(std::int32_t iEntry);

    // Undo and redo (CTunerEditDlgHistory.cpp).
    void OnUndo();
    void OnRedo();


    void FillCombo(int id, const std::vector<CatalogueItem>& items);
    void EnableInputControls();
    void ShowEntry(const TunerSpecEntry& entry);
    // Undo and redo forget the entry shown when they took it out of the
    // table, so that no details of a gone entry stay shown.
    void ForgetGoneEntry();
    // The list and the details as the document holds them, after each change it announces.
    void ShowDocument();
    void RefreshTableList();
    void ShowBandEdgesColumn(bool bShow);

    TunerCatalogue m_catalogue;
    std::string m_cataloguePath;
    TunerTableDocument m_document;
    int m_iDocumentListener = 0;
    std::int32_t m_iMenuPos = 0;
    std::optional<TunerSpecEntry> m_shownEntry;
    bool m_bShowBandEdges = false;
    // The copy of the table while it has unsaved changes.
    std::unique_ptr<DocumentRecovery<TunerTableDocument>> m_pRecovery;
    // "Check Table" and its window.
    TunerTableCheck* m_pTableCheck = nullptr;
    EditorFrame* m_pFrame = nullptr;
    EditorStatusLine* m_pStatusLine = nullptr;
};
