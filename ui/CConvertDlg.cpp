#include "CConvertDlg.h"

#include <new>

#include <QFile>

#include "ChannelTable.h"
#include "LegacyChannelTable.h"
#include "UserServices.h"
#include "resource.h"

namespace {

const char* const kStatusLoaded = "---";
const char* const kStatusSaved = "Convert OK, Save to File";
const char* const kStatusSaveFailed = "Convert OK, Save Failed";

// Every status the dialog writes (its template text fits as every caption does).
DisplayTexts StatusTexts()
{
    return DisplayTexts{{IDC_STATIC_STATUS,
                         {QString::fromLatin1(kStatusLoaded), QString::fromLatin1(kStatusSaved),
                          QString::fromLatin1(kStatusSaveFailed)}}};
}

} // namespace

CConvertDlg::CConvertDlg(QWidget* pParent) : CDialog(IDD_CONVERT, pParent, StatusTexts())
{
    OnClicked(IDC_BUTTON_LOAD_FILE, [this] { OnLoadFile(); });
}

CConvertDlg::~CConvertDlg() = default;

void CConvertDlg::OnLoadFile()
{
    FileDialogRequest request;
    request.bOpen = true;
    request.defaultExt = QStringLiteral("cft");
    request.fileName = QStringLiteral("Vornalix");
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    request.filter = QStringLiteral("CFT Files (*.cft)|*.cft||");
    const std::optional<QString> chosen = Services().ChooseFile(request);
    if (chosen)
        OpenFile(*chosen);
}

bool CConvertDlg::OpenFile(const QString& chosen)
{
    const std::string path = QFile::encodeName(chosen).toStdString();
    m_strOutputPath = LegacyOutputPath(path);

    m_pLegacyTable.reset(new (std::nothrow) LegacyChannelTable);
    if (!m_pLegacyTable)
        return false;
    if (!m_pLegacyTable->Load(path.c_str()))
        return false;
    SetDlgItemText(IDC_STATIC_PATH, chosen);
    EnableDlgItem(IDC_BUTTON_LOAD_FILE, false);
    EnableDlgItem(IDOK, true);
    SetDlgItemText(IDC_STATIC_STATUS, QString::fromLatin1(kStatusLoaded));
    return true;
}

void CConvertDlg::OnOK()
{
    if (!m_pLegacyTable)
        return;
    m_pChannelTable.reset(new (std::nothrow) ChannelTable(false));
    if (!m_pChannelTable)
        return;
    if (!m_pChannelTable->ConvertFromLegacy(m_pLegacyTable.get()))
        return;
    // A save that fails is said so, and the dialog stays ready for another
    // try once the folder is put right.
    if (!m_pChannelTable->Save(m_strOutputPath.c_str())) {
        SetDlgItemText(IDC_STATIC_STATUS, QString::fromLatin1(kStatusSaveFailed));
        return;
    }
    SetDlgItemText(IDC_STATIC_STATUS, QString::fromLatin1(kStatusSaved));
    EnableDlgItem(IDOK, false);
    EnableDlgItem(IDC_BUTTON_LOAD_FILE, true);
}

bool CConvertDlg::DestroyWindow()
{
    m_pLegacyTable.reset();
    m_pChannelTable.reset();
    return CDialog::DestroyWindow();
}
