#include "ui/channel/compare/ChannelCompareWindow.h"

#include <algorithm>

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "res/Strings.h"
#include "ui/channel/compare/ChannelCompareModel.h"
#include "ui/dialog/AccessibleTree.h"
#include "ui/editor/CTableFindingsWindow.h"

namespace {

QString Latin1(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

ChannelCompareWindow::ChannelCompareWindow(QWidget* pParent)
    : QWidget(pParent, Qt::Window), m_pModel(new ChannelCompareModel(this)), m_pSummary(new QLabel(this)),
      m_pView(new QTreeView(this)), m_pCopy(new QPushButton(Latin1(kCompareCopy), this))
{
    ReadAsWindow(this);
    setWindowModality(Qt::NonModal);
    setObjectName(QStringLiteral("CompareWith"));

    m_pSummary->setObjectName(QStringLiteral("CompareSummary"));
    m_pSummary->setWordWrap(true);
    m_pSummary->setTextFormat(Qt::PlainText);
    m_pView->setObjectName(QStringLiteral("CompareRows"));
    m_pView->setModel(m_pModel);
    m_pView->setRootIsDecorated(false);
    m_pView->setUniformRowHeights(true);
    m_pView->setAllColumnsShowFocus(true);
    m_pView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pView->header()->setSectionsMovable(false);
    m_pView->header()->setStretchLastSection(false);
    // The two tables' values share what the short columns leave.
    const QFontMetrics metrics = m_pView->fontMetrics();
    const int padding = metrics.horizontalAdvance(QStringLiteral("MM"));
    const auto fit = [&](int column, const char* widest) {
        m_pView->header()->setSectionResizeMode(column, QHeaderView::Interactive);
        m_pView->setColumnWidth(column, padding + metrics.horizontalAdvance(Latin1(widest)));
    };
    fit(ChannelCompareModel::kListColumn, kCompareAirList);
    fit(ChannelCompareModel::kChannelColumn, "cable range");
    fit(ChannelCompareModel::kDifferenceColumn, kCompareDifferenceHeading);
    for (const int column : {ChannelCompareModel::kThisColumn, ChannelCompareModel::kOtherColumn})
        m_pView->header()->setSectionResizeMode(column, QHeaderView::Stretch);
    connect(m_pView, &QAbstractItemView::activated, this, [this](const QModelIndex& index) { Activate(index.row()); });

    auto* pPrevious = new QPushButton(Latin1(kComparePrevious), this);
    auto* pNext = new QPushButton(Latin1(kCompareNext), this);
    pPrevious->setToolTip(QStringLiteral("Shift+F8"));
    pNext->setToolTip(QStringLiteral("F8"));
    connect(pPrevious, &QPushButton::clicked, this, [this] { GoToDifference(false); });
    connect(pNext, &QPushButton::clicked, this, [this] { GoToDifference(true); });
    connect(m_pCopy, &QPushButton::clicked, this, [this] {
        if (onCopy)
            onCopy();
    });
    // The keys reach the window from any of its controls.
    const auto addKey = [this](const QKeySequence& key, bool bForward) {
        auto* pAction = new QAction(this);
        pAction->setShortcut(key);
        pAction->setShortcutContext(Qt::WindowShortcut);
        connect(pAction, &QAction::triggered, this, [this, bForward] { GoToDifference(bForward); });
        addAction(pAction);
    };
    addKey(QKeySequence(Qt::Key_F8), true);
    addKey(QKeySequence(Qt::SHIFT | Qt::Key_F8), false);

    auto* pButtons = new QHBoxLayout;
    pButtons->addWidget(pPrevious);
    pButtons->addWidget(pNext);
    pButtons->addStretch(1);
    pButtons->addWidget(m_pCopy);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pSummary);
    pLayout->addWidget(m_pView, 1);
    pLayout->addLayout(pButtons);
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 90, metrics.height() * 26);
}

ChannelCompareWindow::~ChannelCompareWindow() = default;

void ChannelCompareWindow::SetOther(std::unique_ptr<ChannelTable> pOther, const QString& name)
{
    // The model reads the new table before the old one goes.
    m_pModel->SetOther(*pOther);
    m_pOther = std::move(pOther);
    m_otherName = name;
    setWindowTitle(Latin1(kCompareTitle).arg(name));
    m_pView->setAccessibleName(windowTitle());
}

void ChannelCompareWindow::Follow(const ChannelTableDocument& document)
{
    m_pModel->SetThis(document);
    m_pCopy->setEnabled(m_pModel->HasThis());
    ShowSummary();
}

void ChannelCompareWindow::ShowSummary()
{
    const ChannelCompareModel::Counts& counts = m_pModel->ChannelCounts();
    const std::vector<HeaderField> fields = m_pModel->DifferingFields();
    QString summary;
    if (!m_pModel->HasThis()) {
        summary = Latin1(kCompareNoTable).arg(m_otherName);
    } else if (fields.empty() && counts.added + counts.removed + counts.changed == 0) {
        summary = Latin1(kCompareSame).arg(m_otherName);
    } else {
        QStringList names;
        for (const HeaderField field : fields)
            names << QString::fromLatin1(HeaderFieldText(field));
        summary = Latin1(kCompareSummary)
                      .arg(m_otherName)
                      .arg(counts.added)
                      .arg(counts.removed)
                      .arg(counts.changed)
                      .arg(names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", ")));
    }
    m_pSummary->setText(summary);
    m_pView->setAccessibleDescription(summary);
}

QString ChannelCompareWindow::SummaryText() const
{
    return m_pSummary->text();
}

void ChannelCompareWindow::GoToDifference(bool bForward)
{
    const int current = m_pView->currentIndex().isValid() ? m_pView->currentIndex().row() : -1;
    const int row = m_pModel->NextDifference(bForward || current >= 0 ? current : 0, bForward);
    if (row < 0)
        return;
    const QModelIndex index = m_pModel->index(row, 0);
    m_pView->setCurrentIndex(index);
    m_pView->scrollTo(index);
}

std::vector<ChannelTableDocument::ChannelPlace> ChannelCompareWindow::ChosenPlaces(bool& bCountryCode) const
{
    bCountryCode = false;
    std::vector<int> rows;
    for (const QModelIndex& index : m_pView->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<ChannelTableDocument::ChannelPlace> places;
    for (const int row : rows) {
        const ChannelCompareModel::Place place = m_pModel->PlaceOf(row);
        if (place.field)
            bCountryCode = bCountryCode || *place.field == HeaderField::CountryCode;
        else if (place.iChannel > 0)
            places.push_back({place.iList, place.iChannel});
    }
    return places;
}

void ChannelCompareWindow::Activate(int row)
{
    const ChannelCompareModel::Place place = m_pModel->PlaceOf(row);
    if (!place.field && place.iChannel > 0 && onActivate)
        onActivate(place.iList, place.iChannel);
}
