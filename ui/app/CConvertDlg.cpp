#include "ui/app/CConvertDlg.h"

#include <new>

#include <QFile>
#include <QKeyEvent>
#include <QPushButton>

#include "edit/LegacyConversion.h"
#include "edit/TableOperations.h"
#include "platform/FileIO.h"
#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/LegacyChannelTable.h"
#include "ui/app/UserServices.h"
#include "ui/dialog/FileMessages.h"
#include "ui/editor/EditorFileCommands.h"

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

CConvertDlg::CConvertDlg(UserServices& services, QWidget* pParent)
    : CDialog(IDD_CONVERT, services, pParent, StatusTexts())
{
    OnClicked(IDC_BUTTON_LOAD_FILE, [this] { OnLoadFile(); });
    // "Convert Now" is not the default button here: Enter works only the
    // button that has the focus, so that it can never end the converter by
    // surprise.
    Control<QPushButton>(IDOK)->setDefault(false);
}

bool CConvertDlg::PreTranslateMessage(QWidget*, QKeyEvent* pEvent)
{
    const bool bEnter = pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter;
    if (!bEnter)
        return false;
    // Enter on a button presses it (the dialog's own handling); anywhere else it does nothing.
    auto* pButton = qobject_cast<QPushButton*>(focusWidget());
    return !pButton || !pButton->isEnabled();
}

// The focus leaves a button about to be disabled for the one that leads on,
// rather than falling to the next one in the Tab order, "Exit", where the
// next Enter would end the dialog.
void CConvertDlg::HandFocusOn(int fromId, int toId)
{
    if (focusWidget() == GetDlgItem(fromId))
        GotoDlgCtrl(toId);
}

CConvertDlg::~CConvertDlg() = default;

void CConvertDlg::OnLoadFile()
{
    // Titled after the command and opened in the folder of the last table loaded.
    const FileDialogRequest request =
        ButtonFileRequest(CommandFileRequest(FileCommand::Open, TableFileNames{m_strInputPath, QString()},
                                             QStringLiteral("CFT Files (*.cft)|*.cft||"), QStringLiteral("cft")));
    const std::optional<QString> chosen = Services().ChooseFile(request);
    if (chosen)
        OpenFile(*chosen);
}

bool CConvertDlg::OpenFile(const QString& chosen)
{
    // A file that cannot be read changes nothing on screen and says why; one
    // that is read but holds no channels is not an error and says nothing.
    const std::string path = QFile::encodeName(chosen).toStdString();
    std::unique_ptr<LegacyChannelTable> pLoaded(new (std::nothrow) LegacyChannelTable);
    if (!pLoaded)
        return false;
    const TableLoadResult loaded = LoadTableFile(path, *pLoaded, NonRegularFiles::Refuse);
    if (loaded.status == TableLoadStatus::Unreadable) {
        ShowFileError(Services(), this, FileAction::Load, chosen, loaded.error);
        return false;
    }
    m_pLegacyTable = std::move(pLoaded);
    m_strInputPath = path;
    m_strOutputPath = LegacyOutputPath(path);
    if (!loaded.Loaded())
        return false;
    SetDlgItemText(IDC_STATIC_PATH, chosen);
    EnableDlgItem(IDOK, true);
    HandFocusOn(IDC_BUTTON_LOAD_FILE, IDOK);
    EnableDlgItem(IDC_BUTTON_LOAD_FILE, false);
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
    FileError error;
    switch (ConvertAndWrite(*m_pLegacyTable, m_strInputPath, m_strOutputPath, *m_pChannelTable, error)) {
    case ConversionResult::Written: break;
    case ConversionResult::NotConvertible: return;
    case ConversionResult::WouldReplaceInput:
        // Not a folder to put right: the old table's own name leads here.
        error.text = "the converted table would replace the old table itself; an old table is named .cft";
        SetDlgItemText(IDC_STATIC_STATUS, QString::fromLatin1(kStatusSaveFailed));
        ShowFileError(Services(), this, FileAction::Save, QFile::decodeName(m_strOutputPath.c_str()), error);
        return;
    case ConversionResult::SaveFailed:
        // Said so, and the dialog stays ready for another try once the folder is put right.
        SetDlgItemText(IDC_STATIC_STATUS, QString::fromLatin1(kStatusSaveFailed));
        return;
    }
    SetDlgItemText(IDC_STATIC_STATUS, QString::fromLatin1(kStatusSaved));
    EnableDlgItem(IDC_BUTTON_LOAD_FILE, true);
    HandFocusOn(IDOK, IDC_BUTTON_LOAD_FILE);
    EnableDlgItem(IDOK, false);
}

bool CConvertDlg::DestroyWindow()
{
    m_pLegacyTable.reset();
    m_pChannelTable.reset();
    return CDialog::DestroyWindow();
}
