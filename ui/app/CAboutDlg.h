#pragma once

#include "ui/dialog/CDialog.h"

class CAboutDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(UserServices& services, QWidget* pParent = nullptr);
};
