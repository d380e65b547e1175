#include "CTunerEditDlg.h"

#include <algorithm>
#include <new>
#include <optional>

#include <QComboBox>
#include <QCursor>
#include <QFile>

#include "HexDigit.h"
#include "ListView.h"
#include "TextNumbers.h"
#include "UserServices.h"
#include "resource.h"

namespace {

const char* const kCoverageError = "Channel Coverage input error, try again!";
const char* const kBandCodeError = "Band Code input error, try again!";

// Exactly four hexadecimal digits, the first the most significant.
bool ParseBandCode(const QString& text, std::uint16_t& wCode)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.size() != 4)
        return false;
    unsigned value = 0;
    for (const char c : bytes) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    wCode = static_cast<std::uint16_t>(value);
    return true;
}

QString Hex2(std::int32_t value)
{
    return QString::asprintf("%02X", static_cast<unsigned>(value));
}

QString BandRange(double dbFrom, double dbTo)
{
    return QString::asprintf("%.2f ~ %.2f MHz", dbFrom, dbTo);
}

FileDialogRequest TunerFileRequest(bool bOpen)
{
    return FileDialogRequest{bOpen, QStringLiteral("tsf"), QStringLiteral("Vornalix"),
                             OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                             QStringLiteral("TSF Files (*.tsf)|*.tsf|All Files (*.*)|*.*||")};
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

CTunerEditDlg::CTunerEditDlg(QWidget* pParent) : CDialog(IDD_TUNER_EDIT, pParent, DetailTexts())
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
}

CTunerEditDlg::~CTunerEditDlg() = default;

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
    return true;
}

// Neither Enter nor the hidden default button closes the editor.
void CTunerEditDlg::OnOK() {}

bool CTunerEditDlg::DestroyWindow()
{
    m_catalogue.Close();
    m_pTunerTable.reset();
    return CDialog::DestroyWindow();
}

bool CTunerEditDlg::OnCommand(int id)
{
    if (id == IDM_DELETE_TUNER)
        OnDeleteTuner();
    return CDialog::OnCommand(id);
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
    m_pTunerTable.reset();
    m_pTunerTable.reset(new (std::nothrow) TunerSpecTable(true));
    if (!m_pTunerTable)
        return;
    EnableInputControls();
    RefreshTableList();
}

void CTunerEditDlg::OnAddInfo()
{
    if (!m_pTunerTable)
        return;
    std::unique_ptr<TunerSpecNode> pNode(new (std::nothrow) TunerSpecNode);
    if (!pNode)
        return;
    TunerSpecEntry& entry = pNode->entry;

    const int iFactoryIndex = ComboGetCurSel(IDC_COMBO_FACTORY);
    if (iFactoryIndex < 0)
        return;
    entry.SetFactory(ComboGetItemData(IDC_COMBO_FACTORY, iFactoryIndex));
    const int iTypeIndex = ComboGetCurSel(IDC_COMBO_TUNER_TYPE);
    if (iTypeIndex < 0)
        return;
    entry.SetTunerType(ComboGetItemData(IDC_COMBO_TUNER_TYPE, iTypeIndex));

    // The band edges are only checked to be positive, not against each other.
    const struct
    {
        int id;
        void (TunerSpecEntry::*set)(double);
    } coverage[] = {
        {IDC_EDIT_LOW_BAND_START, &TunerSpecEntry::SetLowBandStart},
        {IDC_EDIT_MID_BAND_START, &TunerSpecEntry::SetMidBandStart},
        {IDC_EDIT_HIGH_BAND_START, &TunerSpecEntry::SetHighBandStart},
        {IDC_EDIT_HIGH_BAND_END, &TunerSpecEntry::SetHighBandEnd},
    };
    for (const auto& field : coverage) {
        const double dbValue = TextToDouble(GetDlgItemText(field.id));
        if (!(dbValue > 0)) {
            Services().ShowMessage(this, QString::fromLatin1(kCoverageError), MessageIcon::Exclamation);
            return;
        }
        (entry.*field.set)(dbValue);
    }

    const struct
    {
        int id;
        void (TunerSpecEntry::*set)(std::uint16_t);
    } codes[] = {
        {IDC_EDIT_LOW_CODE, &TunerSpecEntry::SetLowCode},
        {IDC_EDIT_MID_CODE, &TunerSpecEntry::SetMidCode},
        {IDC_EDIT_HIGH_CODE, &TunerSpecEntry::SetHighCode},
    };
    for (const auto& field : codes) {
        std::uint16_t wCode = 0;
        if (!ParseBandCode(GetDlgItemText(field.id), wCode)) {
            Services().ShowMessage(this, QString::fromLatin1(kBandCodeError), MessageIcon::Exclamation);
            return;
        }
        (entry.*field.set)(wCode);
    }

    const double dbPictureCarrier = TextToDouble(GetDlgItemText(IDC_EDIT_PICTURE_CARRIER));
    if (!(dbPictureCarrier > 0)) {
        Services().ShowMessage(this, QString::fromLatin1(kBandCodeError), MessageIcon::Exclamation);
        return;
    }
    entry.SetPictureCarrier(dbPictureCarrier);
    // A tuner without a second picture carrier stores 0.
    const double dbPictureCarrier2 = TextToDouble(GetDlgItemText(IDC_EDIT_PICTURE_CARRIER2));
    if (dbPictureCarrier2 > 0)
        entry.SetPictureCarrier2(dbPictureCarrier2);

    // The entry is shown even when the table refuses it for a key already taken.
    ShowEntry(entry);
    m_pTunerTable->InsertInOrder(pNode.release());
    RefreshTableList();
}

void CTunerEditDlg::ShowEntry(const TunerSpecEntry& entry)
{
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

void CTunerEditDlg::RefreshTableList()
{
    if (!m_pTunerTable || !m_pTunerTable->GetList())
        return;
    const EntryList& list = *m_pTunerTable->GetList();

    // One walk of the chain into a snapshot; the row texts are made from it
    // only for the rows on screen, so a table of tens of thousands of entries
    // is listed at once.
    struct RowCodes
    {
        std::int32_t iFactory;
        std::int32_t iTunerType;
    };
    std::vector<RowCodes> rows;
    rows.reserve(static_cast<std::size_t>(std::max(list.iCount, 0)));
    const EntryNode* pNode = list.pHead;
    for (std::int32_t i = 0; i < list.iCount && pNode; ++i, pNode = pNode->pNext) {
        const TunerSpecEntry& entry = static_cast<const TunerSpecNode*>(pNode)->entry;
        rows.push_back(RowCodes{entry.iFactory(), entry.iTunerType()});
    }

    const int count = static_cast<int>(rows.size());
    GetListView(IDC_LIST_TUNERS)->SetRows(count, [rows = std::move(rows)](int row, int column) {
        const RowCodes& codes = rows[static_cast<std::size_t>(row)];
        switch (column) {
        case 0:
            return QString::asprintf("%03i", row);
        case 1:
            return Hex2(codes.iFactory);
        case 2:
            return Hex2(codes.iTunerType);
        default:
            return QString();
        }
    });
}

void CTunerEditDlg::OnSaveFile()
{
    const std::optional<QString> path = Services().ChooseFile(TunerFileRequest(false));
    if (!path || !m_pTunerTable)
        return;
    FileError error;
    // A table without entries writes a header-only file and reports 0 with no
    // error: nothing to tell. A write that failed leaves the old file as it
    // was, and the person must know the entries are not saved.
    if (!m_pTunerTable->Save(QFile::encodeName(*path).constData(), &error) && error.code != 0) {
        Services().ShowMessage(this,
                               QStringLiteral("Cannot save \"%1\": %2").arg(*path, QString::fromLocal8Bit(error.text)),
                               MessageIcon::Exclamation);
    }
}

void CTunerEditDlg::OnLoadFile()
{
    const std::optional<QString> path = Services().ChooseFile(TunerFileRequest(true));
    if (path)
        OpenFile(*path);
}

bool CTunerEditDlg::OpenFile(const QString& path)
{    // The file is read into a table of its own, which takes the place of the
    // one on screen only when the file could be read: a file that cannot be
    // opened leaves the current table, the list and the controls as they
    // were. A file whose count is 0 is an empty table and does replace it.
    std::unique_ptr<TunerSpecTable> pLoaded(new (std::nothrow) TunerSpecTable(false));
    if (!pLoaded)
        return false;
    FileError error;
    pLoaded->Load(QFile::encodeName(path).constData(), &error);
    if (error.code != 0)
        return false;
    m_pTunerTable = std::move(pLoaded);
    RefreshTableList();
    EnableInputControls();
    return true;
}

void CTunerEditDlg::OnClickListTuner()
{
    if (!m_pTunerTable || !m_pTunerTable->GetList())
        return;
    // With several rows selected, the lowest one is shown, whichever was clicked.
    const int row = GetListView(IDC_LIST_TUNERS)->GetNextSelected(-1);
    if (const EntryNode* pNode = m_pTunerTable->GetList()->GetAt(row))
        ShowEntry(static_cast<const TunerSpecNode*>(pNode)->entry);
}

// Moving the selection with the keyboard leaves the details area as it is:
// only a click shows an entry.
void CTunerEditDlg::OnKeydownListTuner(int) {}

void CTunerEditDlg::OnRclickListTuner()
{
    m_iMenuPos = GetListView(IDC_LIST_TUNERS)->GetNextSelected(-1) + 1;
    const int command =
        Services().TrackPopupMenu(this, {MenuItem{IDM_DELETE_TUNER, QStringLiteral("Delete Tuner")}}, QCursor::pos());
    if (command != 0)
        OnCommand(command);
}

void CTunerEditDlg::OnDeleteTuner()
{
    if (!m_pTunerTable)
        return;
    // Positions outside 1..count (no row selected at the right click) do nothing.
    if (!m_pTunerTable->RemoveEntry(m_iMenuPos))
        return;
    // The remembered entry is gone; a later command must not take its successor.
    m_iMenuPos = 0;
    RefreshTableList();
}
