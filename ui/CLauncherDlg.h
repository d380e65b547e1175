#pragma once

#include "CDialog.h"

// The first window: opens the channel table editor and the tuner editor.
class CLauncherDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CLauncherDlg(QWidget* pParent = nullptr);

private:
    void OnFrequencyTableEdit();
    void OnTunerSpecificationEdit();
};
