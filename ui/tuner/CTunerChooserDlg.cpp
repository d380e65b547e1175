#include "ui/tuner/CTunerChooserDlg.h"

#include <algorithm>

#include <QAbstractTableModel>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "tables/analysis/TunerCoverage.h"
#include "ui/dialog/ScreenFit.h"

namespace {

enum Column
{
    kFactoryColumn,
    kTypeColumn,
    kNameColumn,
    kLowColumn,
    kMidColumn,
    kHighColumn,
    kColumnCount,
};

QString Code(std::int32_t value)
{
    return QString::asprintf("%02X", static_cast<unsigned>(value));
}

} // namespace

// The tuners as rows; texts are made only for the rows on screen, so that a
// table of 100,000 tuners opens the chooser at once.
class TunerRowsModel : public QAbstractTableModel
{
public:
    TunerRowsModel(const TunerChooserRequest& request, QObject* pParent)
        : QAbstractTableModel(pParent), m_request(request)
    {
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_request.entries.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : kColumnCount;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole && role != Qt::ToolTipRole)
            return {};
        if (role == Qt::ToolTipRole && index.column() != kNameColumn)
            return {};
        const TunerSpecEntry& entry = m_request.entries[static_cast<std::size_t>(index.row())];
        switch (index.column()) {
        case kFactoryColumn: return Code(entry.iFactory());
        case kTypeColumn: return Code(entry.iTunerType());
        case kNameColumn: return QString::fromStdString(Name(entry));
        case kLowColumn: return BandEdgesText(entry.dbLowBandStart(), entry.dbMidBandStart());
        case kMidColumn: return BandEdgesText(entry.dbMidBandStart(), entry.dbHighBandStart());
        case kHighColumn: return BandEdgesText(entry.dbHighBandStart(), entry.dbHighBandEnd());
        default: return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        switch (section) {
        case kFactoryColumn: return QStringLiteral("Factory");
        case kTypeColumn: return QStringLiteral("Tuner Type");
        case kNameColumn: return QStringLiteral("Name");
        case kLowColumn: return QStringLiteral("Low Band");
        case kMidColumn: return QStringLiteral("Mid Band");
        case kHighColumn: return QStringLiteral("High Band");
        default: return {};
        }
    }

    const TunerChooserRequest& Request() const { return m_request; }

    // The catalogue's name without the codes, which have columns of their own.
    std::string Name(const TunerSpecEntry& entry) const
    {
        const std::string label = TunerLabel(entry, m_request.names.FactoryName(entry.iFactory()),
                                             m_request.names.TypeName(entry.iFactory(), entry.iTunerType()));
        const std::string codes = TunerCodesText(entry);
        return label.size() > codes.size() ? label.substr(codes.size() + 1) : std::string();
    }

private:
    const TunerChooserRequest& m_request;
};

CTunerChooserDlg::CTunerChooserDlg(const TunerChooserRequest& request, QWidget* pParent)
    : QDialog(pParent), m_pModel(new TunerRowsModel(request, this)), m_pView(new QTreeView(this))
{
    setWindowTitle(request.title);
    setObjectName(QStringLiteral("TunerChooser"));
    auto* pLabel = new QLabel(QStringLiteral("&Tuners in %1:").arg(QFileInfo(request.tablePath).fileName()), this);
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setToolTip(request.tablePath);
    pLabel->setBuddy(m_pView);
    m_pView->setObjectName(QStringLiteral("TunerList"));
    m_pView->setAccessibleName(QStringLiteral("Tuners"));
    m_pView->setAccessibleDescription(request.tablePath);
    m_pView->setModel(m_pModel);
    m_pView->setRootIsDecorated(false);
    m_pView->setUniformRowHeights(true);
    m_pView->setAllColumnsShowFocus(true);
    m_pView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The codes and band edges show whole; a long name gives way.
    QHeaderView* pHeader = m_pView->header();
    pHeader->setStretchLastSection(false);
    pHeader->setSectionsMovable(false);
    const QFontMetrics metrics = m_pView->fontMetrics();
    const int padding = metrics.horizontalAdvance(QStringLiteral("MM"));
    for (const int column : {kFactoryColumn, kTypeColumn})
        m_pView->setColumnWidth(
            column, padding + metrics.horizontalAdvance(
                                  m_pModel->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()));
    for (const int column : {kLowColumn, kMidColumn, kHighColumn})
        m_pView->setColumnWidth(column, padding + metrics.horizontalAdvance(BandEdgesText(9999.99, 9999.99)));
    pHeader->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOk = pButtons->button(QDialogButtonBox::Ok);
    m_pOk->setDefault(true);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter on a row or a double click chooses it, as OK does.
    connect(m_pView, &QAbstractItemView::activated, this, [this] {
        if (SelectedIndex())
            accept();
    });
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pLabel);
    pLayout->addWidget(m_pView, 1);
    pLayout->addWidget(pButtons);

    const std::size_t count = request.entries.size();
    m_pOk->setEnabled(count > 0);
    if (count > 0)
        SelectRow(request.preselected && *request.preselected < count ? *request.preselected : 0);
    connect(m_pView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_pOk->setEnabled(SelectedIndex().has_value()); });
    m_pView->setFocus();
    // Wide enough for the longest name, so that two tuners whose names differ
    // only near their ends ("Philips PAL_I (...)", "Philips PAL_BG (...)")
    // can be told apart; the screen bounds it once shown.
    int fixedColumns = 0;
    for (const int column : {kFactoryColumn, kTypeColumn, kLowColumn, kMidColumn, kHighColumn})
        fixedColumns += m_pView->columnWidth(column);
    const int nameWidth = padding + LongestNameWidth(metrics);
    const int margins = 2 * metrics.horizontalAdvance(QStringLiteral("MMMM"));
    resize(std::max(metrics.horizontalAdvance(QLatin1Char('x')) * 110, fixedColumns + nameWidth + margins),
           metrics.height() * 20);
    KeepInsideAvailableAreaOnceShown(*this);
}

CTunerChooserDlg::~CTunerChooserDlg() = default;

int CTunerChooserDlg::LongestNameWidth(const QFontMetrics& metrics) const
{
    // The names come from the catalogue, a few per factory: each one the
    // catalogue gives is measured once, not each of up to 100,000 rows.
    const TunerNames& names = m_pModel->Request().names;
    int widest = 0;
    const auto measure = [&](std::int32_t iFactory, std::int32_t iTunerType) {
        TunerSpecEntry entry;
        entry.SetFactory(iFactory);
        entry.SetTunerType(iTunerType);
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(m_pModel->Name(entry))));
    };
    for (const auto& factory : names.Factories())
        measure(factory.first, -1);
    for (const auto& type : names.Types())
        measure(type.first.first, type.first.second);
    return widest;
}

std::optional<std::size_t> CTunerChooserDlg::SelectedIndex() const
{
    const QModelIndexList rows = m_pView->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return static_cast<std::size_t>(rows.front().row());
}

void CTunerChooserDlg::SelectRow(std::size_t row)
{
    const QModelIndex index = m_pModel->index(static_cast<int>(row), 0);
    m_pView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_pView->scrollTo(index, QAbstractItemView::PositionAtCenter);
}
