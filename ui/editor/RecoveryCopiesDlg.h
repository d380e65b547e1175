#pragma once
// The list of every kept copy of unsaved tables ("Show All...", "Restore
// Unsaved Table..."): time, table and contents of each, the first rows of the
// one selected, and Restore, Discard and Close. The desktop's services run it;
// tests answer through their own.

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;
class RecoveryCopiesList;

class RecoveryCopiesDlg : public QDialog
{
    Q_OBJECT

public:
    RecoveryCopiesDlg(RecoveryCopiesList& list, QWidget* pParent);

private:
    void ShowRows();
    void ShowSelected();
    int SelectedIndex() const;
    void RestoreSelected();
    void DiscardSelected();

    RecoveryCopiesList& m_list;
    QTreeWidget* m_pCopies = nullptr;
    QTreeWidget* m_pPreview = nullptr;
    QLabel* m_pProblem = nullptr;
    QPushButton* m_pRestore = nullptr;
    QPushButton* m_pDiscard = nullptr;
};
