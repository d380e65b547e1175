#include "ui/app/CAboutDlg.h"

#include "res/resource.h"

CAboutDlg::CAboutDlg(UserServices& services, QWidget* pParent) : CDialog(IDD_ABOUTBOX, services, pParent) {}
