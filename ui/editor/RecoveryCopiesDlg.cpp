#include "ui/editor/RecoveryCopiesDlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/dialog/ScreenFit.h"
#include "ui/editor/RecoveryCopiesList.h"

RecoveryCopiesDlg::RecoveryCopiesDlg(RecoveryCopiesList& list, QWidget* pParent) : QDialog(pParent), m_list(list)
{
    setWindowTitle(QStringLiteral("Unsaved Tables"));
    m_pCopies = new QTreeWidget(this);
    m_pCopies->setAccessibleName(QStringLiteral("Kept copies"));
    m_pCopies->setRootIsDecorated(false);
    m_pCopies->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Table"), QStringLiteral("Contents")});
    m_pPreview = new QTreeWidget(this);
    m_pPreview->setAccessibleName(QStringLiteral("First rows"));
    m_pPreview->setRootIsDecorated(false);
    m_pPreview->setSelectionMode(QAbstractItemView::NoSelection);
    m_pProblem = new QLabel(this);
    m_pProblem->setTextFormat(Qt::PlainText);
    m_pProblem->setWordWrap(true);
    auto* pButtons = new QDialogButtonBox(this);
    m_pRestore = pButtons->addButton(QStringLiteral("&Restore"), QDialogButtonBox::ActionRole);
    m_pDiscard = pButtons->addButton(QStringLiteral("&Discard"), QDialogButtonBox::ActionRole);
    pButtons->addButton(QDialogButtonBox::Close);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pCopies, 2);
    pLayout->addWidget(new QLabel(QStringLiteral("First rows of the selected copy:"), this));
    pLayout->addWidget(m_pPreview, 3);
    pLayout->addWidget(m_pProblem);
    pLayout->addWidget(pButtons);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pRestore, &QPushButton::clicked, this, [this] { RestoreSelected(); });
    connect(m_pDiscard, &QPushButton::clicked, this, [this] { DiscardSelected(); });
    connect(m_pCopies, &QTreeWidget::currentItemChanged, this, [this] { ShowSelected(); });
    ShowRows();
    if (m_pCopies->topLevelItemCount() > 0)
        m_pCopies->setCurrentItem(m_pCopies->topLevelItem(0));
    resize(640, 480);
    KeepInsideAvailableAreaOnceShown(*this);
}

void RecoveryCopiesDlg::ShowRows()
{
    const int selected = SelectedIndex();
    m_pCopies->clear();
    for (std::size_t i = 0; i < m_list.Count(); ++i) {
        const RecoveryListRow row = m_list.Row(i);
        auto* pItem = new QTreeWidgetItem(m_pCopies,
                                          {row.when, row.source, row.bGone ? QStringLiteral("discarded") : row.counts});
        if (!row.bRestorable)
            pItem->setForeground(2, palette().brush(QPalette::Disabled, QPalette::Text));
    }
    // The time and the counts show whole; a long table name gives way.
    QHeaderView* pHeader = m_pCopies->header();
    pHeader->setStretchLastSection(false);
    pHeader->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    pHeader->setSectionResizeMode(1, QHeaderView::Stretch);
    pHeader->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    if (selected >= 0 && selected < m_pCopies->topLevelItemCount())
        m_pCopies->setCurrentItem(m_pCopies->topLevelItem(selected));
}

int RecoveryCopiesDlg::SelectedIndex() const
{
    QTreeWidgetItem* pItem = m_pCopies->currentItem();
    return pItem ? m_pCopies->indexOfTopLevelItem(pItem) : -1;
}

void RecoveryCopiesDlg::ShowSelected()
{
    m_pPreview->clear();
    const int index = SelectedIndex();
    if (index < 0) {
        m_pRestore->setEnabled(false);
        m_pDiscard->setEnabled(false);
        return;
    }
    const RecoveryListRow row = m_list.Row(static_cast<std::size_t>(index));
    m_pRestore->setEnabled(row.bRestorable);
    m_pDiscard->setEnabled(!row.bGone);
    const RecoveryPreviewTable preview = m_list.Preview(static_cast<std::size_t>(index));
    m_pProblem->setText(preview.problem);
    m_pProblem->setVisible(!preview.problem.isEmpty());
    if (!preview.columns.isEmpty())
        m_pPreview->setHeaderLabels(preview.columns);
    for (const QStringList& cells : preview.rows)
        new QTreeWidgetItem(m_pPreview, cells);
}

void RecoveryCopiesDlg::RestoreSelected()
{
    const int index = SelectedIndex();
    if (index >= 0 && m_list.Restore(static_cast<std::size_t>(index)))
        accept();
}

void RecoveryCopiesDlg::DiscardSelected()
{
    const int index = SelectedIndex();
    if (index < 0)
        return;
    m_list.Discard(static_cast<std::size_t>(index));
    ShowRows();
    ShowSelected();
}
