#pragma once

#include <QStringList>

#include "ui/app/FileKind.h"
#include "ui/dialog/CDialog.h"

class QTimer;

// The first window: opens the channel table editor and the tuner editor.
class CLauncherDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CLauncherDlg(UserServices& services, QWidget* pParent = nullptr);

    // Opens the editor for the file's kind, with the file loaded, on top of
    // the launcher.
    bool OpenFile(const QString& path) override;
    // Files a later start of the program named, in their order, each loaded
    // as its editor's load command would: into the open editor of its kind
    // (the converter for an old table), else into a new one on top of
    // whatever is open, as the launcher's button would open it. While some
    // other dialog is on top (a file dialog, a message), the files wait for it
    // to close. Table files dropped on the launcher or an editor go this way too.
    void OpenFilesFromAnotherStart(const QStringList& paths);
    int WaitingFileCount() const { return static_cast<int>(m_waitingFiles.size()); }
    // Names handed in that are not valid UTF-8: each is refused with a
    // message that shows it escaped, once nothing else is on top.
    void RefuseUnnamableFiles(const QList<QByteArray>& names);

    // How often waiting files look whether their editor is free.
    static constexpr int kWaitingFilesRetryMs = 250;
    // At most this many files wait: while a prompt stays open, later starts
    // cannot make the queue, or the loads after it, grow without end; files
    // beyond it are passed over, as a start that cannot reach this one is.
    static constexpr int kMaxWaitingFiles = 64;

private:
    void OnFrequencyTableEdit();
    void OnTunerSpecificationEdit();
    void RunEditorFor(const QString& path, FileKind kind);
    void OpenWaitingFiles();
    void TellRefusedNames();

    QStringList m_waitingFiles;
    QList<QByteArray> m_refusedNames;
    QTimer* m_pWaitingFilesTimer = nullptr;
};
