#include "ui/channel/CFrequencyTableDlg.h"

#include <utility>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "res/Strings.h"
#include "res/resource.h"
#include "tables/catalogue/CountryCatalogue.h"
#include "tables/format/ChannelTable.h"
#include "ui/app/CConvertDlg.h"
#include "ui/channel/ChannelBulkEdits.h"
#include "ui/channel/ChannelClipboard.h"
#include "ui/channel/ChannelDisplays.h"
#include "ui/channel/ChannelNavigation.h"
#include "ui/channel/ChannelRows.h"
#include "ui/channel/ChannelTableCheck.h"
#include "ui/channel/ChannelTableFromPlan.h"
#include "ui/channel/ChannelTransfer.h"
#include "ui/channel/ChannelTunerCheck.h"
#include "ui/channel/FrequencyCells.h"
#include "ui/channel/chart/ChannelBandChart.h"
#include "ui/channel/compare/ChannelTableCompare.h"
#include "ui/channel/matrix/ChannelCoverageMatrix.h"
#include "ui/dialog/AccessibleNames.h"
#include "ui/dialog/FileMessages.h"
#include "ui/dialog/ListView.h"
#include "ui/dialog/TextNumbers.h"
#include "ui/editor/EditorDocumentViews.h"
#include "ui/editor/EditorFileCommands.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"

namespace {

const char* const kTableFileFilter = "CCF Files (*.ccf)|*.ccf|All Files (*.*)|*.*||";

} // namespace

CFrequencyTableDlg::CFrequencyTableDlg(UserServices& services, QWidget* pParent)
    : CDialog(IDD_FREQUENCY_TABLE, services, pParent, ChannelDisplayTexts()), m_hIcon(ApplicationIcon())
{
    OnClicked(IDC_BUTTON_ENTER, [this] { OnCountryCodeEnter(); });
    OnClicked(IDC_BUTTON_SAVE_TO_FILE, [this] { OnSaveToFile(); });
    OnClicked(IDC_BUTTON_CREATE_NEW, [this] { OnCreateNew(); });
    OnClicked(IDC_BUTTON_ADD, [this] { OnAddToEnd(); });
    OnClicked(IDC_BUTTON_LOAD_FROM_FILE, [this] { OnLoadFromFile(); });
    OnClicked(IDC_BUTTON_RESET, [this] { OnReset(); });
    OnClicked(IDC_BUTTON_CONVERT, [this] { OnConvert(); });
    OnClicked(IDC_BUTTON_SAVE_VALUE, [this] { OnSaveValue(); });
    // A choice made in the drop-down list, also of the item already chosen.
    connect(ComboBox(IDC_COMBO_MODE), &QComboBox::activated, this, [this] { OnSelEndOkMode(); });
    ListView* pList = GetListView(IDC_LIST_CHANNELS);
    connect(pList, &ListView::Clicked, this, [this] { OnClickList(); });
    connect(pList, &ListView::RightClicked, this, [this] { OnRightClickList(); });
    // Typing in the Frequency field makes its text the person's own.
    connect(qobject_cast<QLineEdit*>(GetDlgItem(IDC_EDIT_FREQUENCY)), &QLineEdit::textEdited, this,
            [this] { m_shownFrequency.reset(); });
    m_iDocumentListener = m_document.Subscribe([this](const DocumentNews& news) {
        const DocumentChange change = news.change;
        if (change == DocumentChange::Replaced)
            ShowTableCode();
        if (change == DocumentChange::Edited || change == DocumentChange::Shown)
            ShowDocument();
    });
    const auto showFinding = [this](std::int32_t iList, std::int32_t iChannel) { ShowFinding(iList, iChannel); };
    m_pBulkEdits = std::make_unique<ChannelBulkEdits>(m_document, services, *this, ListAccess());
    m_pClipboard = std::make_unique<ChannelClipboard>(m_document, services, *this, ListAccess());
    const auto showLists = [this] {
        ShowRange(ChannelModeAir);
        ShowRange(ChannelModeCable);
        RefreshList();
        ShowChannelNumber(1);
    };
    m_pTransfer = std::make_unique<ChannelTransfer>(
        m_document, services, *this, ListAccess(),
        ChannelTransfer::EditorSteps{[this] { OnCreateNew(); }, [this] { ShowLoadedTable(); }, showLists});
    m_pNavigation = std::make_unique<ChannelNavigation>(m_document, services, *this,
                                                        [this](std::int32_t iChannel) { SelectChannel(iChannel); });
    m_pTunerCheck = std::make_unique<ChannelTunerCheck>(m_document, services, *this);
    m_pTableCheck = new ChannelTableCheck(
        m_document, *this, [this] { return m_pTunerCheck->Findings(); }, showFinding);
    m_pCompare = new ChannelTableCompare(m_document, services, *this, showFinding,
                                         [this](const QString& note, bool bCode) { ShowCopiedTable(note, bCode); });
    m_pMatrix = new ChannelCoverageMatrix(
        m_document, *m_pTunerCheck, services, *this, [this](const QString& path) { return OpenFile(path); },
        [this](TunerChoice choice) { CheckAgainstTuner(std::move(choice)); });
    m_pRows = std::make_unique<ChannelRows>(m_document, *GetListView(IDC_LIST_CHANNELS), ChannelTableFromPlan::Library);
    m_pFrequencyCells = std::make_unique<FrequencyCells>(m_document, *pList, 1);
    m_pBandChart =
        std::make_unique<ChannelBandChart>(m_document, services, *this, *m_pTunerCheck, *m_pRows, showFinding);
    m_pRecovery = std::make_unique<DocumentRecovery<ChannelTableDocument>>(this, services, m_document, "ccf");
    InitMenus();
    const EditorDocumentViews views = AddEditorDocumentViews(
        *this, TableKind::Channel, m_document, *m_pRecovery, [this] { return ListSummaryText(m_document); },
        [this](const QString& path) { OpenFile(path); });
    m_pStatusLine = views.pStatusLine;
    m_showStatusLine = views.showStatus;
}

CFrequencyTableDlg::~CFrequencyTableDlg()
{
    m_pRecovery->Keep();
}

bool CFrequencyTableDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    const QString about = QString::fromLatin1(LoadResourceString(IDS_ABOUTBOX));
    if (!about.isEmpty())
        m_systemMenu = {MenuItem{0, QString()}, MenuItem{IDM_ABOUTBOX, about}};

    setWindowIcon(m_hIcon);

    ListView* pList = GetListView(IDC_LIST_CHANNELS);
    pList->SetExtendedStyle(pList->GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);

    InitColumns();
    m_pRows->ShowKeptColumns();
    EnableTableControls(false);
    EnableChannelControls(false);
    return true;
}

void CFrequencyTableDlg::InitColumns()
{
    ListView* pList = GetListView(IDC_LIST_CHANNELS);
    pList->InsertColumn(0, QStringLiteral("CH No."), LVCFMT_LEFT, 50);
    pList->InsertColumn(1, QStringLiteral("Frequency(MHz)"), LVCFMT_CENTER, 110);
    pList->SetLastColumnFills();
    m_document.Reset();
    ResetShownState();
}

void CFrequencyTableDlg::ResetShownState()
{
    m_iSelIndex = 0;
    m_iEditIndex = 0;
    m_iShownChannel = 0;
    m_shownCode = ShownCode();
}

void CFrequencyTableDlg::ShowTableCode()
{
    const std::int32_t iCode = m_document.CountryCode();
    m_shownCode = ShownCode{QString::number(iCode), iCode};
}

void CFrequencyTableDlg::ShowDocument()
{
    m_pFrame->ShowTableFileInTitle(m_document.SavePath(), m_document.Modified());
    // Until the first table the template's texts stay; from then on every
    // display shows the document, also when undo took the table back.
    if (!m_bTableControlsEnabled) {
        if (!m_document.HasTable())
            return;
        EnableTableControls(true);
        EnableChannelControls(true);
    }
    ShowModeText();
    if (m_document.HasTable()) {
        ShowRangesOfChangedLists();
    } else {
        for (int id : {IDC_STATIC_AIR_MIN, IDC_STATIC_AIR_MAX, IDC_STATIC_CABLE_MIN, IDC_STATIC_CABLE_MAX})
            SetDlgItemText(id, QString());
    }
    ShowCountryCode();
    SetDlgItemText(IDC_STATIC_CHANNEL_NUMBER, QString::asprintf("%i", m_iShownChannel));
    ShowTargetFrequency();
    m_pRows->Show();
}

void CFrequencyTableDlg::ShowModeText()
{
    SetDlgItemText(IDC_STATIC_MODE, ModeText(m_document.Mode()));
    if (m_document.Mode() == ChannelModeAir || m_document.Mode() == ChannelModeCable)
        ComboSetCurSel(IDC_COMBO_MODE, m_document.Mode());
}

void CFrequencyTableDlg::ShowCountryCode()
{
    SetDlgItemText(IDC_STATIC_COUNTRY_CODE, m_shownCode.text);
    ShowCountry(m_shownCode.iCode);
}

void CFrequencyTableDlg::ShowTargetFrequency()
{
    if (!m_shownFrequency)
        return;
    // The field shows the value of the channel "Save value" writes to, and
    // follows it while the list keeps its shape. Once rows were inserted or
    // deleted it is left alone, as the commands leave it, unless that channel
    // no longer holds the value shown: "Save value" would then write another
    // channel's value into it.
    const std::int32_t iChannel = m_shownFrequency->iChannel;
    const QString shown = GetDlgItemText(IDC_EDIT_FREQUENCY);
    QString text;
    if (m_document.HasTable() && m_iEditIndex == iChannel)
        text = FrequencyFieldText(m_document.Frequency(iChannel));
    const bool bSameShape = m_shownFrequency->listShape == m_document.ListShape();
    if (m_document.HasTable() && m_iEditIndex == iChannel && (bSameShape || text == shown))
        m_shownFrequency->listShape = m_document.ListShape();
    else {
        m_shownFrequency.reset();
        text.clear();
    }
    if (shown != text)
        SetDlgItemText(IDC_EDIT_FREQUENCY, text);
}

void CFrequencyTableDlg::EnableTableControls(bool bEnable)
{
    if (bEnable)
        m_bTableControlsEnabled = true;
    EnableDlgItem(IDC_COMBO_MODE, bEnable);
    EnableDlgItem(IDC_EDIT_COUNTRY_CODE, bEnable);
    EnableDlgItem(IDC_BUTTON_ENTER, bEnable);
    if (bEnable)
        ComboSetCurSel(IDC_COMBO_MODE, 0);
}

void CFrequencyTableDlg::EnableChannelControls(bool bEnable)
{
    EnableDlgItem(IDC_EDIT_FREQUENCY, bEnable);
    EnableDlgItem(IDC_BUTTON_ADD, bEnable);
    EnableDlgItem(IDC_BUTTON_RESET, bEnable);
    EnableDlgItem(IDC_BUTTON_SAVE_VALUE, bEnable);
}

void CFrequencyTableDlg::SetMode(std::int32_t i)
{
    if (i < 0)
        return;
    m_document.SetMode(i);
    ShowModeText();
}

void CFrequencyTableDlg::RefreshList()
{
    if (m_document.HasTable())
        ShowDocument();
}

void CFrequencyTableDlg::ShowChannelNumber(std::int32_t n)
{
    m_iShownChannel = n;
    SetDlgItemText(IDC_STATIC_CHANNEL_NUMBER, QString::asprintf("%i", n));
}

void CFrequencyTableDlg::ShowRangesOfChangedLists()
{
    // A save changes no list and shows nothing; a command shows the range of
    // the list it changed itself, and a range never shown stays empty (after
    // "Create New"). An undo or redo shows both, as a load does, and so does
    // a table read in by other ways than the load command (a restore, an
    // import, a drop).
    if (m_document.ListVersion() == m_rangesAtListVersion)
        return;
    m_rangesAtListVersion = m_document.ListVersion();
    const bool bReadIn = m_document.Table() != m_pRangesTable && m_document.Origin() == TableOriginLoaded;
    m_pRangesTable = m_document.Table();
    const std::pair<std::int32_t, int> lists[] = {{ChannelModeAir, IDC_STATIC_AIR_MAX},
                                                  {ChannelModeCable, IDC_STATIC_CABLE_MAX}};
    for (const auto& [iMode, maxId] : lists) {
        if (m_bHistoryMove || bReadIn || !GetDlgItemText(maxId).isEmpty())
            ShowRange(iMode);
    }
}

ChannelRange CFrequencyTableDlg::ShowRange(std::int32_t iMode)
{
    const ChannelRange range = m_document.Range(iMode);
    if (m_document.HasTable() && (iMode == ChannelModeAir || iMode == ChannelModeCable)) {
        SetDlgItemText(iMode == ChannelModeAir ? IDC_STATIC_AIR_MIN : IDC_STATIC_CABLE_MIN,
                       QString::number(range.iMin));
        SetDlgItemText(iMode == ChannelModeAir ? IDC_STATIC_AIR_MAX : IDC_STATIC_CABLE_MAX,
                       QString::number(range.iMax));
    }
    return range;
}

void CFrequencyTableDlg::ShowCountry(std::int32_t iCode)
{
    const CountryLookup country = LookupCountry(iCode);
    SetDlgItemText(IDC_STATIC_COUNTRY, QString::fromLatin1(country.pszCountry));
    SetDlgItemText(IDC_STATIC_TV_SYSTEM, QString::fromLatin1(country.pszTvSystem));
}

FileDialogRequest CFrequencyTableDlg::TableFileRequest(bool bOpen) const
{
    return CommandFileRequest(bOpen ? FileCommand::Open : FileCommand::SaveAs, FileNamesOf(m_document),
                              QString::fromLatin1(kTableFileFilter), QStringLiteral("ccf"));
}

void CFrequencyTableDlg::OnSelEndOkMode()
{
    const auto held = m_document.HoldAnnouncements();
    SetMode(ComboGetCurSel(IDC_COMBO_MODE));
    m_shownFrequency.reset();
    SetDlgItemText(IDC_EDIT_FREQUENCY, QString());
    RefreshList();
    ShowChannelNumber(1);
    GotoDlgCtrl(IDC_EDIT_FREQUENCY);
}

void CFrequencyTableDlg::OnCreateNew()
{
    const auto held = m_document.HoldAnnouncements();
    if (!m_document.CreateNew())
        return;
    SetMode(ChannelModeAir);
    EnableTableControls(true);
    EnableChannelControls(true);
    ShowChannelNumber(1);
    RefreshList();
}

void CFrequencyTableDlg::OnLoadFromFile()
{
    OpenChosenFile(ButtonFileRequest(TableFileRequest(true)));
}

void CFrequencyTableDlg::OnOpen()
{
    OpenChosenFile(TableFileRequest(true));
}

void CFrequencyTableDlg::OpenChosenFile(const FileDialogRequest& request)
{
    const std::optional<QString> path = Services().ChooseFile(request);
    if (path)
        OpenFile(*path);
}

bool CFrequencyTableDlg::OpenFile(const QString& path)
{
    // The file is read into a table of its own, which takes the place of the
    // one on screen only once it has loaded: a file that cannot be read leaves
    // the current table, its origin and the display exactly as they were, and
    // the person is told why.
    const auto held = m_document.HoldAnnouncements();
    FileError error;
    if (!m_document.Load(QFile::encodeName(path).toStdString(), error)) {
        ShowFileError(Services(), this, FileAction::Load, path, error);
        return false;
    }
    ShowLoadedTable();
    RememberFile(path);
    return true;
}

void CFrequencyTableDlg::ShowLoadedTable(std::int32_t iMode, std::optional<std::int32_t> shownChannel)
{
    ShowRange(ChannelModeAir);
    ShowRange(ChannelModeCable);

    ShowCountryCode();

    EnableTableControls(true);
    EnableChannelControls(true);
    ComboSetCurSel(IDC_COMBO_MODE, iMode);
    SetMode(iMode);
    if (shownChannel)
        ShowChannelNumber(*shownChannel);
    RefreshList();
}

void CFrequencyTableDlg::OnSaveToFile()
{
    SaveToChosenFile(ButtonFileRequest(TableFileRequest(false)));
}

void CFrequencyTableDlg::OnSaveAs()
{
    SaveToChosenFile(TableFileRequest(false));
}

void CFrequencyTableDlg::SaveToChosenFile(const FileDialogRequest& request)
{
    const std::optional<QString> path = Services().ChooseFile(request);
    if (!path || !m_document.HasTable())
        return;
    FileError error;
    if (!m_document.Save(QFile::encodeName(*path).toStdString(), error))
        ShowFileError(Services(), this, FileAction::Save, *path, error);
    else {
        RememberFile(*path);
        m_pStatusLine->ShowNote(SavedNote(*path));
    }
}

void CFrequencyTableDlg::OnCountryCodeEnter()
{
    const auto held = m_document.HoldAnnouncements();
    if (!m_document.HasTable())
        return;
    const QString text = GetDlgItemText(IDC_EDIT_COUNTRY_CODE);
    SetDlgItemText(IDC_EDIT_COUNTRY_CODE, QString());
    // Codes of 0 or less are refused by the table; the display still shows
    // what was typed, and an empty text stores nothing.
    const std::int32_t iCode = text.isEmpty() ? 0 : TextToLong(text);
    if (!text.isEmpty())
        m_document.SetCountryCode(iCode);
    m_shownCode = ShownCode{text, iCode};
    ShowCountryCode();
}

void CFrequencyTableDlg::OnConvert()
{
    CConvertDlg converter(Services());
    Services().RunModal(converter);
}

void CFrequencyTableDlg::OnSysCommand(unsigned nID)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX)
        Commands().Run(*this, IDM_ABOUTBOX);
}

void CFrequencyTableDlg::contextMenuEvent(QContextMenuEvent* pEvent)
{
    // Only the dialog's own surface (and the texts and frames on it, the status
    // line's included) carries the About and "New from Plan..." items;
    // controls that act keep their own menus or none.
    QWidget* pUnder = childAt(pEvent->pos());
    const bool bSurface = !pUnder || pUnder == ClientArea() || pUnder == m_pFrame->StatusLine() ||
                          qobject_cast<QLabel*>(pUnder) || qobject_cast<QGroupBox*>(pUnder);
    if (!bSurface) {
        CDialog::contextMenuEvent(pEvent);
        return;
    }
    pEvent->accept();
    std::vector<MenuItem> items = m_systemMenu;
    items.push_back(Commands().Item(*this, IDM_NEW_FROM_PLAN));
    const int command = Services().TrackPopupMenu(this, items, pEvent->globalPos());
    if (command == IDM_NEW_FROM_PLAN)
        OnNewFromPlan();
    else if (command != 0)
        OnSysCommand(static_cast<unsigned>(command));
}

void CFrequencyTableDlg::OnDestroy()
{
    m_pRecovery->Keep();
    CDialog::OnDestroy();
    m_document.Unsubscribe(m_iDocumentListener);
    m_document.Reset();
    ResetShownState();
}

bool CFrequencyTableDlg::PreTranslateMessage(QWidget* pTarget, QKeyEvent* pEvent)
{
    // The registry's keys: undo and redo, Ctrl+P, F1, and the list's Alt+Up and Alt+Down.
    if (Commands().HandleKey(*this, pEvent, focusWidget() == GetDlgItem(IDC_LIST_CHANNELS)))
        return true;
    if ((pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) &&
        focusWidget() == GetDlgItem(IDC_EDIT_FREQUENCY)) {
        OnAddToEnd();
        return true;
    }
    return CDialog::PreTranslateMessage(pTarget, pEvent);
}

// Channel editing.

// Append and "Save value" both begin so: read the frequency edit, then clear it.
QString CFrequencyTableDlg::TakeFrequencyText()
{
    const QString text = GetDlgItemText(IDC_EDIT_FREQUENCY);
    m_shownFrequency.reset();
    SetDlgItemText(IDC_EDIT_FREQUENCY, QString());
    return text;
}

void CFrequencyTableDlg::OnAddToEnd()
{
    const auto held = m_document.HoldAnnouncements();
    if (!m_document.HasTable())
        return;
    const QString text = TakeFrequencyText();
    if (text.isEmpty())
        return;
    m_document.Append(TextToDouble(text));

    const ChannelRange range = ShowRange(m_document.Mode());
    RefreshList();
    GetListView(IDC_LIST_CHANNELS)->EnsureVisible(range.iMax - 1);
    ShowChannelNumber(range.iMax + 1);
    GotoDlgCtrl(IDC_EDIT_FREQUENCY);
}

void CFrequencyTableDlg::OnReset()
{
    m_shownFrequency.reset();
    SetDlgItemText(IDC_EDIT_FREQUENCY, QString());
    GotoDlgCtrl(IDC_EDIT_FREQUENCY);
}

void CFrequencyTableDlg::OnClickList()
{
    m_iEditIndex = 1 + GetListView(IDC_LIST_CHANNELS)->GetNextSelected(-1);
    ShowChannel(m_iEditIndex);
}

void CFrequencyTableDlg::ShowChannel(std::int32_t iChannel)
{
    if (!m_document.HasTable())
        return;
    const double dbFrequency = m_document.Frequency(iChannel);
    ShowChannelNumber(iChannel);
    SetDlgItemText(IDC_EDIT_FREQUENCY, FrequencyFieldText(dbFrequency));
    m_shownFrequency = ShownFrequency{iChannel, m_document.ListShape()};
}

void CFrequencyTableDlg::OnSaveValue()
{
    const auto held = m_document.HoldAnnouncements();
    if (!m_document.HasTable())
        return;
    const QString text = TakeFrequencyText();
    if (text.isEmpty())
        return;
    // The range is deliberately left alone: it follows structural edits only.
    const std::int32_t iChannel = m_iEditIndex;
    m_document.SetFrequency(iChannel, TextToDouble(text));
    RefreshList();
    GetListView(IDC_LIST_CHANNELS)->EnsureVisible(iChannel - 1);
    ShowChannelNumber(iChannel);
    GotoDlgCtrl(IDC_EDIT_FREQUENCY);
}

void CFrequencyTableDlg::OnRightClickList()
{
    m_iSelIndex = 1 + GetListView(IDC_LIST_CHANNELS)->GetNextSelected(-1);
    std::vector<MenuItem> items = Commands().RowMenu(*this);
    m_pRecovery->AppendRestoreItem(items);
    const int command = Services().TrackPopupMenu(this, items, QCursor::pos());
    if (command != 0)
        OnCommand(command);
}

bool CFrequencyTableDlg::OnCommand(int id)
{
    // The registry's commands, then the buttons'.
    return Commands().Run(*this, id) || CDialog::OnCommand(id);
}

int CFrequencyTableDlg::InsertBlankItem(std::int32_t k)
{
    const auto held = m_document.HoldAnnouncements();
    if (!m_document.HasTable())
        return 0;
    m_document.InsertBlank(k);
    ShowRange(m_document.Mode());
    RefreshList();
    GetListView(IDC_LIST_CHANNELS)->EnsureVisible(k - 1);
    ShowChannelNumber(k);
    GotoDlgCtrl(IDC_EDIT_FREQUENCY);
    return 1;
}

int CFrequencyTableDlg::DeleteItem(std::int32_t k)
{
    const auto held = m_document.HoldAnnouncements();
    if (!m_document.HasTable())
        return 0;
    m_document.Delete(k);
    ShowRange(m_document.Mode());
    RefreshList();
    GetListView(IDC_LIST_CHANNELS)->EnsureVisible(k - 1);
    ShowChannelNumber(0);
    GotoDlgCtrl(IDC_EDIT_FREQUENCY);
    return 1;
}

int CFrequencyTableDlg::DeleteItems(const std::vector<std::int32_t>& indices)
{
    const auto held = m_document.HoldAnnouncements();
    if (!m_document.HasTable() || indices.empty())
        return 0;
    // One walk that leaves the list and its range exactly as deleting the
    // channels one at a time, highest number first, would leave them; the
    // range is then read once.
    m_document.DeleteMany(indices);
    ShowRange(m_document.Mode());
    RefreshList();
    GetListView(IDC_LIST_CHANNELS)->EnsureVisible(indices.front() - 1);
    ShowChannelNumber(0);
    GotoDlgCtrl(IDC_EDIT_FREQUENCY);
    return 1;
}
