#pragma once

#include <QStringList>

#include "CDialog.h"
#include "FileKind.h"

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
    // to close.
    void OpenFilesFromAnotherStart(const QStringList& paths);

    // How often waiting files look whether their editor is free.
    static constexpr int kWaitingFilesRetryMs = 250;

private:
    void OnFrequencyTableEdit();
    void OnTunerSpecificationEdit();
    void RunEditorFor(const QString& path, FileKind kind);
    void OpenWaitingFiles();

    QStringList m_waitingFiles;
    QTimer* m_pWaitingFilesTimer = nullptr;
};
