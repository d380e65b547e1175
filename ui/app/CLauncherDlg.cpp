#include "ui/app/CLauncherDlg.h"

#include <QApplication>
#include <QTimer>

#include "res/resource.h"
#include "ui/app/CConvertDlg.h"
#include "ui/app/FileKind.h"
#include "ui/app/UserServices.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/dialog/FileDrop.h"
#include "ui/dialog/FileNames.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

// The open, shown dialog of this class, if any.
template <class Dialog> Dialog* OpenDialogOf()
{
    for (QWidget* pWindow : QApplication::topLevelWidgets()) {
        auto* pDialog = qobject_cast<Dialog*>(pWindow);
        if (pDialog && pDialog->isVisible() && !pDialog->IsDestroyed())
            return pDialog;
    }
    return nullptr;
}

// The dialog that takes a file of this kind, when one is open.
CDialog* OpenDialogFor(FileKind kind)
{
    switch (kind) {
    case FileKind::ChannelTable: return OpenDialogOf<CFrequencyTableDlg>();
    case FileKind::TunerTable: return OpenDialogOf<CTunerEditDlg>();
    case FileKind::LegacyTable: return OpenDialogOf<CConvertDlg>();
    case FileKind::Unknown: break;
    }
    return nullptr;
}

// True while a dialog other than the launcher and the ones that take files
// is on top: a file dialog or a message, whose caller still counts on the
// table it was opened over.
bool IsOtherDialogOnTop()
{
    QWidget* pTop = QApplication::activeModalWidget();
    return pTop && !qobject_cast<CLauncherDlg*>(pTop) && !qobject_cast<CFrequencyTableDlg*>(pTop) &&
           !qobject_cast<CTunerEditDlg*>(pTop) && !qobject_cast<CConvertDlg*>(pTop);
}

} // namespace

CLauncherDlg::CLauncherDlg(UserServices& services, QWidget* pParent)
    : CDialog(IDD_LAUNCHER, services, pParent), m_pWaitingFilesTimer(new QTimer(this))
{
    OnClicked(IDC_BUTTON_FREQUENCY_EDIT, [this] { OnFrequencyTableEdit(); });
    OnClicked(IDC_BUTTON_TUNER_EDIT, [this] { OnTunerSpecificationEdit(); });
    m_pWaitingFilesTimer->setSingleShot(true);
    connect(m_pWaitingFilesTimer, &QTimer::timeout, this, &CLauncherDlg::OpenWaitingFiles);
    new FileDropTarget(*this, Services());
}

void CLauncherDlg::OnFrequencyTableEdit()
{
    CFrequencyTableDlg dlg(Services());
    Services().RunModal(dlg);
}

void CLauncherDlg::OnTunerSpecificationEdit()
{
    CTunerEditDlg dlg(Services());
    Services().RunModal(dlg);
}

bool CLauncherDlg::OpenFile(const QString& path)
{
    const FileKind kind = KindOfFile(path);
    if (kind == FileKind::Unknown)
        return false;
    // The editor opens on top of the launcher once the launcher is on screen.
    QTimer::singleShot(0, this, [this, path, kind] { RunEditorFor(path, kind); });
    return true;
}

void CLauncherDlg::RunEditorFor(const QString& path, FileKind kind)
{
    switch (kind) {
    case FileKind::ChannelTable: {
        CFrequencyTableDlg dlg(Services());
        dlg.SetStartupFile(path);
        Services().RunModal(dlg);
        break;
    }
    case FileKind::TunerTable: {
        CTunerEditDlg dlg(Services());
        dlg.SetStartupFile(path);
        Services().RunModal(dlg);
        break;
    }
    case FileKind::LegacyTable: {
        CConvertDlg dlg(Services());
        dlg.SetStartupFile(path);
        Services().RunModal(dlg);
        break;
    }
    case FileKind::Unknown: break;
    }
}

void CLauncherDlg::OpenFilesFromAnotherStart(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (m_waitingFiles.size() >= kMaxWaitingFiles)
            break;
        m_waitingFiles.append(path);
    }
    // Not from inside the caller (the activation channel hearing its peer):
    // a new editor runs its own modal loop.
    m_pWaitingFilesTimer->start(0);
}

void CLauncherDlg::RefuseUnnamableFiles(const QList<QByteArray>& names)
{
    for (const QByteArray& name : names) {
        if (m_refusedNames.size() >= kMaxWaitingFiles)
            break;
        m_refusedNames.append(name);
    }
    m_pWaitingFilesTimer->start(0);
}

void CLauncherDlg::TellRefusedNames()
{
    QString text = UndecodableNameText(m_refusedNames.front());
    const qsizetype iMore = m_refusedNames.size() - 1;
    if (iMore == 1)
        text += QStringLiteral(" One more such name was refused too.");
    else if (iMore > 1)
        text += QStringLiteral(" %1 more such names were refused too.").arg(iMore);
    m_refusedNames.clear();
    QWidget* pTop = QApplication::activeModalWidget();
    Services().ShowMessage(pTop ? pTop : this, text, MessageIcon::Exclamation);
}

void CLauncherDlg::OpenWaitingFiles()
{
    if (!m_refusedNames.isEmpty()) {
        if (IsOtherDialogOnTop()) {
            m_pWaitingFilesTimer->start(kWaitingFilesRetryMs);
            return;
        }
        TellRefusedNames();
    }
    while (!m_waitingFiles.isEmpty()) {
        if (IsOtherDialogOnTop()) {
            m_pWaitingFilesTimer->start(kWaitingFilesRetryMs);
            return;
        }
        const QString path = m_waitingFiles.takeFirst();
        const FileKind kind = KindOfFile(path);
        if (kind == FileKind::Unknown)
            continue; // as on the command line of the first start
        if (CDialog* pOpen = OpenDialogFor(kind)) {
            pOpen->OpenFile(path);
            continue;
        }
        // The editor opens on top of whatever is open and runs until it is
        // closed; the files after this one go into it once it is up.
        if (!m_waitingFiles.isEmpty())
            m_pWaitingFilesTimer->start(0);
        RunEditorFor(path, kind);
        return;
    }
}
