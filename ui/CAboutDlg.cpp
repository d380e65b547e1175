#include "CAboutDlg.h"

#include "resource.h"

CAboutDlg::CAboutDlg(QWidget* pParent) : CDialog(IDD_ABOUTBOX, pParent) {}
