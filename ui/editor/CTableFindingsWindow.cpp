#include "ui/editor/CTableFindingsWindow.h"

#include <algorithm>
#include <optional>
#include <utility>

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include "res/Strings.h"
#include "ui/dialog/AccessibleTree.h"

namespace {

enum Column
{
    kSeverityColumn,
    kListColumn,
    kPositionColumn,
    kMessageColumn,
    kColumnCount,
};

QString Latin1(const char* text)
{
    return QString::fromLatin1(text);
}

// The editors' own names of the lists.
QString ListName(std::int32_t iList)
{
    switch (iList) {
    case ChannelModeAir: return QStringLiteral("Antenna");
    case ChannelModeCable: return QStringLiteral("Cable");
    default: return QString();
    }
}

} // namespace

// The findings as rows; texts are made only for the rows on screen, so a
// check of 100,000 tuner entries fills the window at once.
class FindingsModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetFindings(std::vector<TableFinding> findings, FindingKind kind, std::optional<TunerFindings> tuner,
                     TunerTableFindings entries = {})
    {
        beginResetModel();
        m_findings = std::move(findings);
        m_entries = std::move(entries);
        m_tuner = std::move(tuner);
        m_kind = kind;
        endResetModel();
        // The heading of the position column follows the kind.
        emit headerDataChanged(Qt::Horizontal, kPositionColumn, kPositionColumn);
    }
    // The table's own findings (as texts, then as a tuner table's entries
    // keep them), then the tuner's; the texts of the latter two are made here.
    TableFinding Finding(int row) const
    {
        auto index = static_cast<std::size_t>(row);
        if (index < m_findings.size())
            return m_findings[index];
        index -= m_findings.size();
        if (index < m_entries.Count())
            return m_entries.At(index);
        return UncoveredFinding(m_tuner->uncovered[index - m_entries.Count()], m_tuner->tuner);
    }
    int Count(FindingSeverity severity) const
    {
        const auto own = std::count_if(m_findings.begin(), m_findings.end(),
                                       [severity](const TableFinding& f) { return f.severity == severity; });
        const FindingTotals& entries = m_entries.Totals();
        const std::size_t kept = severity == FindingSeverity::Error ? entries.errors : entries.warnings;
        const std::size_t tuner = severity == FindingSeverity::Error ? UncoveredCount() : 0;
        return static_cast<int>(static_cast<std::size_t>(own) + kept + tuner);
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_findings.size() + m_entries.Count() + UncoveredCount());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : kColumnCount;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const TableFinding finding = Finding(index.row());
        const bool bWarning = finding.severity == FindingSeverity::Warning;
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
            switch (index.column()) {
            case kSeverityColumn: return Latin1(bWarning ? kFindingsWarning : kFindingsError);
            case kListColumn: return ListName(finding.iList);
            case kPositionColumn: return PositionText(finding.iPosition);
            case kMessageColumn: return QString::fromStdString(finding.message);
            default: return {};
            }
        }
        if (role == Qt::DecorationRole && index.column() == kSeverityColumn)
            return QApplication::style()->standardIcon(bWarning ? QStyle::SP_MessageBoxWarning
                                                                : QStyle::SP_MessageBoxCritical);
        if (role == Qt::ToolTipRole && index.column() == kMessageColumn)
            return QString::fromStdString(finding.message);
        if (role == Qt::TextAlignmentRole && index.column() == kPositionColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        switch (section) {
        case kSeverityColumn: return Latin1(kFindingsSeverityHeading);
        case kListColumn: return Latin1(kFindingsListHeading);
        case kPositionColumn:
            return Latin1(m_kind == FindingKind::Tuner ? kFindingsEntryHeading : kFindingsChannelHeading);
        case kMessageColumn: return Latin1(kFindingsMessageHeading);
        default: return {};
        }
    }

private:
    // A channel by its number; an entry by its row as the tuner editor's
    // list counts it, from 000, as the findings' messages name it.
    QString PositionText(std::int32_t iPosition) const
    {
        if (iPosition <= 0)
            return {};
        return m_kind == FindingKind::Tuner ? QString::asprintf("%03d", iPosition - 1) : QString::number(iPosition);
    }
    std::size_t UncoveredCount() const { return m_tuner ? m_tuner->uncovered.size() : 0; }

    std::vector<TableFinding> m_findings;
    TunerTableFindings m_entries;
    std::optional<TunerFindings> m_tuner;
    FindingKind m_kind = FindingKind::Channel;
};

TableFinding UncoveredFinding(const UncoveredChannel& channel, const TunerBands& tuner)
{
    // An error, not a warning: the product cannot tune this channel with the
    // tuner at all, so the table does not work with it as it stands. A
    // warning is for what may be right (a shared frequency, a channel out of
    // order); a channel no band reaches never is.
    return {FindingSeverity::Error, channel.iList, channel.iChannel, UncoveredMessage(channel, tuner)};
}

CTableFindingsWindow::CTableFindingsWindow(QWidget* pParent)
    : QWidget(pParent, Qt::Window), m_pModel(new FindingsModel(this)), m_pSummary(new QLabel(this)),
      m_pView(new QTreeView(this))
{
    setWindowTitle(Latin1(kFindingsTitle));
    ReadAsWindow(this);
    setWindowModality(Qt::NonModal);
    setObjectName(QStringLiteral("TableFindings"));

    m_pSummary->setObjectName(QStringLiteral("FindingsSummary"));
    // A summary that names a tuner may be longer than the window is wide.
    m_pSummary->setWordWrap(true);
    m_pSummary->setTextFormat(Qt::PlainText);
    m_pView->setObjectName(QStringLiteral("FindingsList"));
    m_pView->setAccessibleName(Latin1(kFindingsTitle));
    m_pView->setModel(m_pModel);
    m_pView->setRootIsDecorated(false);
    m_pView->setUniformRowHeights(true);
    m_pView->setAllColumnsShowFocus(true);
    m_pView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pView->setTextElideMode(Qt::ElideRight);
    m_pView->header()->setStretchLastSection(true);
    m_pView->header()->setSectionsMovable(false);
    // Room for the widest text each short column holds, at any font and scale.
    const QFontMetrics metrics = m_pView->fontMetrics();
    const int iconRoom = m_pView->style()->pixelMetric(QStyle::PM_SmallIconSize) + metrics.horizontalAdvance(u' ') * 3;
    const int padding = metrics.horizontalAdvance(QStringLiteral("MM"));
    m_pView->setColumnWidth(kSeverityColumn, iconRoom + padding +
                                                 std::max(metrics.horizontalAdvance(Latin1(kFindingsWarning)),
                                                          metrics.horizontalAdvance(Latin1(kFindingsSeverityHeading))));
    m_pView->setColumnWidth(kListColumn, padding + metrics.horizontalAdvance(QStringLiteral("Antenna")));
    m_pView->setColumnWidth(kPositionColumn, padding + metrics.horizontalAdvance(Latin1(kFindingsChannelHeading)));
    connect(m_pView, &QAbstractItemView::activated, this, [this](const QModelIndex& index) { Activate(index.row()); });

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pSummary);
    pLayout->addWidget(m_pView, 1);
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 100, metrics.height() * 18);
    SetFindings({}, FindingKind::Channel);
}

CTableFindingsWindow::~CTableFindingsWindow() = default;

void CTableFindingsWindow::SetFindings(std::vector<TableFinding> findings, FindingKind kind,
                                       std::optional<TunerFindings> tuner)
{
    const QString judgedAgainst = tuner ? tuner->judgedAgainst : QString();
    m_pModel->SetFindings(std::move(findings), kind, std::move(tuner));
    ShowSummary(judgedAgainst);
}

void CTableFindingsWindow::SetFindings(TunerTableFindings findings)
{
    m_pModel->SetFindings({}, FindingKind::Tuner, std::nullopt, std::move(findings));
    ShowSummary(QString());
}

void CTableFindingsWindow::ShowSummary(const QString& judgedAgainst)
{
    QString summary;
    if (m_pModel->rowCount() == 0) {
        summary = Latin1(kFindingsNone);
    } else {
        summary = Latin1(kFindingsCount)
                      .arg(m_pModel->Count(FindingSeverity::Error))
                      .arg(m_pModel->Count(FindingSeverity::Warning));
        m_pView->setCurrentIndex(m_pModel->index(0, 0));
    }
    if (!judgedAgainst.isEmpty())
        summary = Latin1(kFindingsJudgedAgainst).arg(judgedAgainst, summary);
    m_pSummary->setText(summary);
    m_pView->setAccessibleDescription(m_pSummary->text());
}

QRect PlaceBeside(const QRect& editor, const QSize& size, const QRect& available)
{
    const QSize fitting = size.boundedTo(available.size());
    const int roomRight = available.right() - editor.right();
    const int roomLeft = editor.left() - available.left();
    QRect place(QPoint(editor.right() + 1, editor.top()), fitting);
    if (roomRight < fitting.width()) {
        // No room beside it: against the screen's edge on the wider side,
        // over as little of the editor (and of its list, at its left) as can be.
        if (roomLeft >= fitting.width())
            place.moveRight(editor.left() - 1);
        else if (roomRight >= roomLeft)
            place.moveRight(available.right());
        else
            place.moveLeft(available.left());
    }
    // Inside the available area, whatever the editor's own place.
    place.moveRight(std::min(place.right(), available.right()));
    place.moveBottom(std::min(place.bottom(), available.bottom()));
    place.moveLeft(std::max(place.left(), available.left()));
    place.moveTop(std::max(place.top(), available.top()));
    return place;
}

void MoveBesideEditor(QWidget& window)
{
    QWidget* pEditor = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    QScreen* pScreen = pEditor ? pEditor->screen() : window.screen();
    if (!pEditor || !pScreen)
        return;
    // The frame the window manager adds, as far as it is known before the
    // window is shown: that of the editor.
    const QSize decoration = pEditor->frameGeometry().size() - pEditor->size();
    const QRect frame = PlaceBeside(pEditor->frameGeometry(), window.size() + decoration, pScreen->availableGeometry());
    window.resize(frame.size() - decoration);
    window.move(frame.topLeft());
}

void CTableFindingsWindow::ShowFindings(std::vector<TableFinding> findings, FindingKind kind,
                                        std::optional<TunerFindings> tuner)
{
    SetFindings(std::move(findings), kind, std::move(tuner));
    Present();
}

void CTableFindingsWindow::ShowFindings(TunerTableFindings findings)
{
    SetFindings(std::move(findings));
    Present();
}

void CTableFindingsWindow::Present()
{
    if (!isVisible()) {
        WidenForMessages();
        MoveBesideEditor(*this);
    }
    show();
    raise();
    activateWindow();
    m_pView->setFocus();
}

void CTableFindingsWindow::WidenForMessages()
{
    // As wide as the first findings' messages need, so that they read whole
    // where the screen has room (MoveBesideEditor bounds it); the later rows,
    // up to some 100,000, are not measured.
    constexpr int kRowsMeasured = 50;
    const QFontMetrics metrics = m_pView->fontMetrics();
    int widest = 0;
    for (int row = 0; row < std::min(m_pModel->rowCount(), kRowsMeasured); ++row)
        widest =
            std::max(widest, metrics.horizontalAdvance(
                                 m_pModel->data(m_pModel->index(row, kMessageColumn), Qt::DisplayRole).toString()));
    int columns = metrics.horizontalAdvance(QStringLiteral("MMMM")) + widest;
    for (const int column : {kSeverityColumn, kListColumn, kPositionColumn})
        columns += m_pView->columnWidth(column);
    // The view's frame, its scroll bar and the window's margins around the columns.
    const QMargins margins = layout()->contentsMargins();
    const int chrome = 2 * m_pView->frameWidth() + margins.left() + margins.right() +
                       m_pView->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_pView);
    const int available = screen() ? screen()->availableGeometry().width() : width();
    resize(std::min(std::max(width(), columns + chrome), std::max(width(), available)), height());
}

QString CTableFindingsWindow::SummaryText() const
{
    return m_pSummary->text();
}

int CTableFindingsWindow::FindingCount() const
{
    return m_pModel->rowCount();
}

void CTableFindingsWindow::Activate(int row)
{
    if (row < 0 || row >= m_pModel->rowCount() || !onActivate)
        return;
    const TableFinding finding = m_pModel->Finding(row);
    onActivate(finding.iList, finding.iPosition);
}
