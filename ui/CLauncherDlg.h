#pragma once

#include "CDialog.h"
#include "FileKind.h"

// The first window: opens the channel table editor and the tuner editor.
class CLauncherDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CLauncherDlg(UserServices& services, QWidget* pParent = nullptr);

    // Opens the editor for the file's kind, with the file loaded, on top of
    // the launcher.
    bool OpenFile(const QString& path) override;

private:
    void OnFrequencyTableEdit();
    void OnTunerSpecificationEdit();
    void RunEditorFor(const QString& path, FileKind kind);
};
