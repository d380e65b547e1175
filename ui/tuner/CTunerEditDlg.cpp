#include "ui/tuner/CTunerEditDlg.h"

#include <cmath>

#include <algorithm>
#include <memory>
#include <new>
#include <optional>

#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QPushButton>

#include "res/Strings.h"
#include "res/resource.h"
#include "ui/app/RecentFiles.h"
#include "ui/app/UserServices.h"
#include "ui/dialog/FileMessages.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/EditorDocumentViews.h"
#include "ui/editor/EditorFileCommands.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorSettings.h"
#include "ui/editor/EditorStatusLine.h"
#include "ui/tuner/TunerTableCheck.h"

namespace {

const QString kBandEdgesSetting = QStringLiteral("tuner-list/band-edges");
constexpr int kBandEdgesColumn = 3;

QString Hex2(std::int32_t value)
{
    return QString::asprintf("%02X", static_cast<unsigned>(value));
}

// A band edge in the list: as the range displays write it, unless it is no
// number or too large for a cell.
QString BandEdge(double db)
{
    return std::isfinite(db) && std::fabs(db) < 1e7 ? QString::asprintf("%.2f", db) : QString::number(db, 'g', 4);
}

QString BandEdges(const double (&edges)[4])
{
    return QStringLiteral("Low %1 ~ %2, mid %2 ~ %3, high %3 ~ %4 MHz")
        .arg(BandEdge(edges[0]), BandEdge(edges[1]), BandEdge(edges[2]), BandEdge(edges[3]));
}

QString BandRange(double dbFrom, double dbTo)
{
    return QString::asprintf("%.2f ~ %.2f MHz", dbFrom, dbTo);
}

FileDialogRequest TunerFileRequest(FileCommand command, const TunerTableDocument& document)
{
    return CommandFileRequest(command, FileNamesOf(document),
                              QStringLiteral("TSF Files (*.tsf)|*.tsf|All Files (*.*)|*.*||"), QStringLiteral("tsf"));
}

// The details' formats at their widest: band edges and picture carriers of
// up to 9999.99 MHz (television tuners end below 1000 MHz) and band codes of
// four hexadecimal digits.
DisplayTexts DetailTexts()
{
    DisplayTexts texts;
    for (int id : {IDC_STATIC_LOW_RANGE, IDC_STATIC_MID_RANGE, IDC_STATIC_HIGH_RANGE})
        texts[id] = TextsInEveryDigit(QStringLiteral("####.## ~ ####.## MHz"));
    for (int id : {IDC_STATIC_LOW_CODE, IDC_STATIC_MID_CODE, IDC_STATIC_HIGH_CODE})
        texts[id] = TextsInEveryDigit(QStringLiteral("####"), QStringLiteral("0123456789ABCDEF"));
    for (int id : {IDC_STATIC_PICTURE_CARRIER, IDC_STATIC_PICTURE_CARRIER2})
        texts[id] = TextsInEveryDigit(QStringLiteral("####.## MHz"));
    return texts;
}

} // namespace

CTunerEditDlg::CTunerEditDlg(UserServices& services, QWidget* pParent)
    : CDialog(IDD_TUNER_EDIT, services, pParent, DetailTexts())
{
    connect(ComboBox(IDC_COMBO_FACTORY), &QComboBox::activated, this, [this] { OnSelchangeComboFactory(); });
    connect(ComboBox(IDC_COMBO_TUNER_TYPE), &QComboBox::activated, this, [this] { OnSelchangeComboTunerType(); });
    OnClicked(IDC_BUTTON_CREATE_TABLE, [this] { OnCreateNew(); });
    OnClicked(IDC_BUTTON_ADD_INFO, [this] { OnAddInfo(); });
    OnClicked(IDC_BUTTON_SAVE_FILE, [this] { OnSaveFile(); });
    OnClicked(IDC_BUTTON_LOAD_TUNER_FILE, [this] { OnLoadFile(); });
    ListView* pList = GetListView(IDC_LIST_TUNERS);
    connect(pList, &ListView::Clicked, this, [this] { OnClickListTuner(); });
    connect(pList, &ListView::KeyDown, this, [this](int key) { OnKeydownListTuner(key); });
    connect(pList, &ListView::RightClicked, this, [this] { OnRclickListTuner(); });
    m_iDocumentListener = m_document.Subscribe([this](const DocumentNews& news) {
        const DocumentChange change = news.change;
        if (change == DocumentChange::Edited)
            ShowDocument();
    });
    m_pRecovery = std::make_unique<DocumentRecovery<TunerTableDocument>>(this, services, m_document, "tsf");
    m_pTableCheck = new TunerTableCheck(m_document, *this, [this](std::int32_t iEntry) { ShowFinding(iEntry); });
    InitMenus();
    m_pStatusLine = AddEditorDocumentViews(
                        *this, TableKind::Tuner, m_document, *m_pRecovery,
                        [this] {
                            const auto count = static_cast<long long>(m_document.Table()->Entries().size());
                            return std::optional<QString>(QStringLiteral("%1 %2").arg(count).arg(
                                count == 1 ? QStringLiteral("tuner") : QStringLiteral("tuners")));
                        },
                        [this](const QString& path) { OpenFile(path); })
                        .pStatusLine;
}

CTunerEditDlg::~CTunerEditDlg()
{
    m_pRecovery->Keep();
}

bool CTunerEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // A missing or unreadable catalogue is no error: the editor then offers no factories.
    const bool bOpen = m_cataloguePath.empty() ? m_catalogue.Open() : m_catalogue.Open(m_cataloguePath);
    if (bOpen) {
        if (const auto factories = m_catalogue.ReadFactories())
            FillCombo(IDC_COMBO_FACTORY, *factories);
    }

    ListView* pList = GetListView(IDC_LIST_TUNERS);
    pList->SetExtendedStyle(pList->GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    pList->InsertColumn(0, QStringLiteral("No."), LVCFMT_LEFT, 40);
    pList->InsertColumn(1, QStringLiteral("Factory"), LVCFMT_CENTER, 60);
    pList->InsertColumn(2, QStringLiteral("Tuner Type"), LVCFMT_CENTER, 80);
    pList->SetLastColumnFills();
    ShowBandEdgesColumn(EditorSetting(kBandEdgesSetting) == QLatin1String("shown"));
    return true;
}

// Neither Enter nor the hidden default button closes the editor.
void CTunerEditDlg::OnOK() {}

bool CTunerEditDlg::DestroyWindow()
{
    m_pRecovery->Keep();
    m_catalogue.Close();
    m_document.Unsubscribe(m_iDocumentListener);
    m_document.Reset();
    m_iMenuPos = 0;
    m_shownEntry.reset();
    return CDialog::DestroyWindow();
}

bool CTunerEditDlg::OnCommand(int id)
{
    // The registry's commands, then the buttons'.
    return Commands().Run(*this, id) || CDialog::OnCommand(id);
}

void CTunerEditDlg::FillCombo(int id, const std::vector<CatalogueItem>& items)
{
    ComboResetContent(id);
    for (const CatalogueItem& item : items) {
        const int index = ComboAddString(id, QString::fromStdString(item.text));
        if (index >= 0)
            ComboSetItemData(id, index, item.code);
    }
}

void CTunerEditDlg::OnSelchangeComboFactory()
{
    const int index = ComboGetCurSel(IDC_COMBO_FACTORY);
    if (index < 0)
        return;
    const std::int32_t iFactory = ComboGetItemData(IDC_COMBO_FACTORY, index);
    SetDlgItemText(IDC_STATIC_FACTORY, ComboGetLBText(IDC_COMBO_FACTORY, index));
    FillTunerTypes(iFactory);
}

void CTunerEditDlg::FillTunerTypes(std::int32_t iFactory)
{
    // A factory without a list of its own leaves the tuner types of the previous one.
    if (const auto types = m_catalogue.ReadTunerTypes(iFactory))
        FillCombo(IDC_COMBO_TUNER_TYPE, *types);
}

void CTunerEditDlg::OnSelchangeComboTunerType()
{
    const int index = ComboGetCurSel(IDC_COMBO_TUNER_TYPE);
    if (index < 0)
        return;
    SetDlgItemText(IDC_STATIC_TUNER_TYPE, ComboGetLBText(IDC_COMBO_TUNER_TYPE, index));
}

void CTunerEditDlg::EnableInputControls()
{
    for (int id : {IDC_COMBO_FACTORY, IDC_COMBO_TUNER_TYPE, IDC_EDIT_LOW_BAND_START, IDC_EDIT_MID_BAND_START,
                   IDC_EDIT_HIGH_BAND_START, IDC_EDIT_HIGH_BAND_END, IDC_EDIT_HIGH_CODE, IDC_EDIT_LOW_CODE,
                   IDC_EDIT_MID_CODE, IDC_EDIT_PICTURE_CARRIER, IDC_EDIT_PICTURE_CARRIER2, IDC_BUTTON_ADD_INFO})
        EnableDlgItem(id, true);
}

void CTunerEditDlg::OnCreateNew()
{
    const auto held = m_document.HoldAnnouncements();
    if (!m_document.CreateNew())
        return;
    EnableInputControls();
}

void CTunerEditDlg::OnAddInfo()
{
    const auto held = m_document.HoldAnnouncements();
    if (!m_document.HasTable())
        return;
    const std::optional<TunerInput> input = ReadInputs();
    if (!input)
        return;
    const AddInfoOutcome outcome = m_document.AddInfo(*input);
    if (!outcome.message.empty()) {
        Services().ShowMessage(this, QString::fromStdString(outcome.message), MessageIcon::Exclamation);
        return;
    }
    if (!outcome.entry)
        return;
    // The entry is shown even when the table refused it for a key already
    // taken; the person is then told that nothing was added.
    ShowEntry(*outcome.entry);
    if (!outcome.bAdded) {
        const QString factory = ComboGetLBText(IDC_COMBO_FACTORY, ComboGetCurSel(IDC_COMBO_FACTORY));
        const QString tunerType = ComboGetLBText(IDC_COMBO_TUNER_TYPE, ComboGetCurSel(IDC_COMBO_TUNER_TYPE));
        Services().ShowMessage(this, QString::fromLatin1(kEntryTakenText).arg(factory, tunerType),
                               MessageIcon::Exclamation);
    }
}

std::optional<TunerInput> CTunerEditDlg::ReadInputs() const
{
    TunerInput input;
    const int iFactoryIndex = ComboGetCurSel(IDC_COMBO_FACTORY);
    if (iFactoryIndex < 0)
        return std::nullopt;
    input.iFactory = ComboGetItemData(IDC_COMBO_FACTORY, iFactoryIndex);
    const int iTypeIndex = ComboGetCurSel(IDC_COMBO_TUNER_TYPE);
    if (iTypeIndex < 0)
        return std::nullopt;
    input.iTunerType = ComboGetItemData(IDC_COMBO_TUNER_TYPE, iTypeIndex);

    const auto text = [this](int id) { return GetDlgItemText(id).toStdString(); };
    input.lowBandStart = text(IDC_EDIT_LOW_BAND_START);
    input.midBandStart = text(IDC_EDIT_MID_BAND_START);
    input.highBandStart = text(IDC_EDIT_HIGH_BAND_START);
    input.highBandEnd = text(IDC_EDIT_HIGH_BAND_END);
    input.lowCode = text(IDC_EDIT_LOW_CODE);
    input.midCode = text(IDC_EDIT_MID_CODE);
    input.highCode = text(IDC_EDIT_HIGH_CODE);
    input.pictureCarrier = text(IDC_EDIT_PICTURE_CARRIER);
    input.pictureCarrier2 = text(IDC_EDIT_PICTURE_CARRIER2);
    return input;
}

void CTunerEditDlg::ShowDocument()
{
    m_pFrame->ShowTableFileInTitle(m_document.SavePath(), m_document.Modified());
    if (m_document.HasTable())
        EnableInputControls();
    if (m_document.HasTable())
        RefreshTableList();
    else
        GetListView(IDC_LIST_TUNERS)->SetRows(0, [](int, int) { return QString(); });
}

void CTunerEditDlg::ForgetGoneEntry()
{
    if (!m_shownEntry || m_document.Holds(*m_shownEntry))
        return;
    m_shownEntry.reset();
    for (int id : {IDC_STATIC_FACTORY, IDC_STATIC_TUNER_TYPE, IDC_STATIC_LOW_RANGE, IDC_STATIC_MID_RANGE,
                   IDC_STATIC_HIGH_RANGE, IDC_STATIC_LOW_CODE, IDC_STATIC_MID_CODE, IDC_STATIC_HIGH_CODE,
                   IDC_STATIC_PICTURE_CARRIER, IDC_STATIC_PICTURE_CARRIER2})
        SetDlgItemText(id, QString());
}

void CTunerEditDlg::ShowEntry(const TunerSpecEntry& entry)
{
    m_shownEntry = entry;
    // A factory code that the catalogue does not list leaves the name shown before.
    for (int i = 0; i < ComboGetCount(IDC_COMBO_FACTORY); ++i) {
        if (ComboGetItemData(IDC_COMBO_FACTORY, i) == entry.iFactory()) {
            SetDlgItemText(IDC_STATIC_FACTORY, ComboGetLBText(IDC_COMBO_FACTORY, i));
            break;
        }
    }
    SetDlgItemText(IDC_STATIC_TUNER_TYPE, Hex2(entry.iTunerType()));
    SetDlgItemText(IDC_STATIC_HIGH_CODE, QString::asprintf("%X", static_cast<unsigned>(entry.wHighCode())));
    SetDlgItemText(IDC_STATIC_MID_CODE, QString::asprintf("%X", static_cast<unsigned>(entry.wMidCode())));
    SetDlgItemText(IDC_STATIC_LOW_CODE, QString::asprintf("%X", static_cast<unsigned>(entry.wLowCode())));
    SetDlgItemText(IDC_STATIC_LOW_RANGE, BandRange(entry.dbLowBandStart(), entry.dbMidBandStart()));
    SetDlgItemText(IDC_STATIC_MID_RANGE, BandRange(entry.dbMidBandStart(), entry.dbHighBandStart()));
    SetDlgItemText(IDC_STATIC_HIGH_RANGE, BandRange(entry.dbHighBandStart(), entry.dbHighBandEnd()));
    SetDlgItemText(IDC_STATIC_PICTURE_CARRIER, QString::asprintf("%.2f MHz", entry.dbPictureCarrier()));
    SetDlgItemText(IDC_STATIC_PICTURE_CARRIER2, QString::asprintf("%.2f MHz", entry.dbPictureCarrier2()));
}

void CTunerEditDlg::ToggleBandEdges()
{
    ShowBandEdgesColumn(!m_bShowBandEdges);
    SetEditorSetting(kBandEdgesSetting, m_bShowBandEdges ? QStringLiteral("shown") : QString());
}

void CTunerEditDlg::ShowBandEdgesColumn(bool bShow)
{
    if (bShow == m_bShowBandEdges)
        return;
    m_bShowBandEdges = bShow;
    ListView* pList = GetListView(IDC_LIST_TUNERS);
    pList->RemoveColumnsFrom(kBandEdgesColumn);
    // The column before the last one gives back the width it took.
    pList->setColumnWidth(kBandEdgesColumn - 1, 80);
    // The rows' texts already hold the column: the view asks for its cells
    // as it draws them, and no row is listed again.
    if (bShow)
        pList->InsertColumn(kBandEdgesColumn, QStringLiteral("Band Edges"), LVCFMT_LEFT, 280);
}

void CTunerEditDlg::RefreshTableList()
{
    if (!m_document.HasTable())
        return;
    // The document's image of the table, shared with the status line's
    // check; the row texts are read from it only for the rows on screen, so a
    // table of tens of thousands of entries is listed at once.
    const std::shared_ptr<const std::vector<std::uint8_t>> image = m_document.SharedFileImage();
    const auto codesOf = [image](int row) { return TunerRowOfImage(*image, row).value_or(TunerRow{}); };
    GetListView(IDC_LIST_TUNERS)
        ->SetRows(
            TunerRowCount(*image),
            [codesOf](int row, int column) {
                switch (column) {
                case 0: return QString::asprintf("%03i", row);
                case 1: return Hex2(codesOf(row).iFactory);
                case 2: return Hex2(codesOf(row).iTunerType);
                case kBandEdgesColumn: return BandEdges(codesOf(row).dbBandEdges);
                default: return QString();
                }
            },
            nullptr, nullptr,
            // Each row's band edges as its tooltip and what a screen reader
            // reads of it, beside the list's three columns.
            [codesOf](int row) { return BandEdges(codesOf(row).dbBandEdges); });
}

void CTunerEditDlg::OnSaveFile()
{
    SaveToChosenFile(ButtonFileRequest(TunerFileRequest(FileCommand::SaveAs, m_document)));
}

void CTunerEditDlg::OnSaveAs()
{
    SaveToChosenFile(TunerFileRequest(FileCommand::SaveAs, m_document));
}

void CTunerEditDlg::SaveToChosenFile(const FileDialogRequest& request)
{
    const std::optional<QString> path = Services().ChooseFile(request);
    if (!path || !m_document.HasTable())
        return;
    FileError error;
    // A table without entries writes a header-only file: nothing to tell. A
    // write that failed leaves the old file as it was, and the person must
    // know the entries are not saved.
    if (!m_document.Save(QFile::encodeName(*path).toStdString(), error))
        ShowFileError(Services(), this, FileAction::Save, *path, error);
    else {
        RecentFiles(QString::fromLatin1(kTunerRecentKind)).Add(*path);
        m_pStatusLine->ShowNote(SavedNote(*path));
    }
}

void CTunerEditDlg::OnLoadFile()
{
    OpenChosenFile(ButtonFileRequest(TunerFileRequest(FileCommand::Open, m_document)));
}

void CTunerEditDlg::OnOpen()
{
    OpenChosenFile(TunerFileRequest(FileCommand::Open, m_document));
}

void CTunerEditDlg::OpenChosenFile(const FileDialogRequest& request)
{
    const std::optional<QString> path = Services().ChooseFile(request);
    if (path)
        OpenFile(*path);
}

bool CTunerEditDlg::OpenFile(const QString& path)
{
    // A file that cannot be read says why and leaves the table as it was; with
    // no table yet, the person still gets an empty one to work on.
    const auto held = m_document.HoldAnnouncements();
    FileError error;
    const TunerLoadResult result = m_document.Load(QFile::encodeName(path).toStdString(), error);
    if (result != TunerLoadResult::Read)
        ShowFileError(Services(), this, FileAction::Load, path, error);
    if (result == TunerLoadResult::KeptTable || !m_document.HasTable())
        return false;
    EnableInputControls();
    if (result == TunerLoadResult::Read)
        RecentFiles(QString::fromLatin1(kTunerRecentKind)).Add(path);
    return result == TunerLoadResult::Read;
}

void CTunerEditDlg::OnClickListTuner()
{
    // With several rows selected, the lowest one is shown, whichever was clicked.
    const int row = GetListView(IDC_LIST_TUNERS)->GetNextSelected(-1);
    if (const std::optional<TunerSpecEntry> entry = m_document.EntryAt(row))
        ShowEntry(*entry);
}

// Moving the selection with the keyboard leaves the details area as it is:
// only a click shows an entry.
void CTunerEditDlg::OnKeydownListTuner(int) {}

void CTunerEditDlg::OnRclickListTuner()
{
    m_iMenuPos = GetListView(IDC_LIST_TUNERS)->GetNextSelected(-1) + 1;
    std::vector<MenuItem> items = Commands().RowMenu(*this);
    m_pRecovery->AppendRestoreItem(items);
    const int command = Services().TrackPopupMenu(this, items, QCursor::pos());
    if (command != 0)
        OnCommand(command);
}

void CTunerEditDlg::OnDeleteTuner()
{
    const auto held = m_document.HoldAnnouncements();
    // Positions outside 1..count (no row selected at the right click) do
    // nothing; the remembered entry, once gone, is forgotten, so that a later
    // command does not take its successor. The list follows the document's
    // announcement.
    if (m_document.DeleteTuner(m_iMenuPos))
        m_iMenuPos = 0;
}
