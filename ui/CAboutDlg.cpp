#include "CAboutDlg.h"

#include "resource.h"

CAboutDlg::CAboutDlg(UserServices& services, QWidget* pParent) : CDialog(IDD_ABOUTBOX, services, pParent) {}
