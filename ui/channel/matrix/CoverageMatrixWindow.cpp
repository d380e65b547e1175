#include "ui/channel/matrix/CoverageMatrixWindow.h"

#include <algorithm>
#include <utility>

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "edit/ChannelTableDocument.h"
#include "res/Strings.h"
#include "ui/channel/matrix/CoverageMatrixModel.h"
#include "ui/dialog/AccessibleTree.h"
#include "ui/dialog/FileNames.h"
#include "ui/editor/CTableFindingsWindow.h"

namespace {

QString Latin1(const char* text)
{
    return QString::fromLatin1(text);
}

QString OpenTableName(const ChannelTableDocument& document)
{
    if (!document.HasTable())
        return {};
    if (document.SavePath().empty())
        return Latin1(kMatrixUnsavedTable);
    return Latin1(kMatrixThisTable)
        .arg(PrintableFileName(QByteArray::fromStdString(document.SavePath())).section(QLatin1Char('/'), -1));
}

} // namespace

CoverageMatrixWindow::CoverageMatrixWindow(QWidget* pParent)
    : QWidget(pParent, Qt::Window), m_pModel(new CoverageMatrixModel(this)), m_pCounter(new MatrixCounter(this)),
      m_pCovering(new QLabel(this)), m_pProgress(new QProgressBar(this)), m_pView(new QTableView(this)),
      m_pExport(new QPushButton(Latin1(kMatrixExport), this))
{
    ReadAsWindow(this);
    setWindowModality(Qt::NonModal);
    // Closing is the end of the counting: the window and its counter go.
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("CoverageMatrix"));

    m_pCovering->setObjectName(QStringLiteral("MatrixCovering"));
    m_pCovering->setWordWrap(true);
    m_pCovering->setTextFormat(Qt::PlainText);
    m_pProgress->setObjectName(QStringLiteral("MatrixProgress"));
    m_pProgress->setAccessibleName(Latin1(kMatrixCountingName));
    m_pProgress->setFormat(Latin1(kMatrixCounting).arg(QStringLiteral("%v"), QStringLiteral("%m")));
    m_pProgress->hide();

    m_pView->setObjectName(QStringLiteral("MatrixCells"));
    m_pView->setModel(m_pModel);
    m_pView->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_pView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pView->setWordWrap(false);
    m_pView->verticalHeader()->hide();
    m_pView->horizontalHeader()->setSectionsMovable(false);
    m_pView->horizontalHeader()->setHighlightSections(true);
    // Every tuner's column as wide as its codes; a thousand of them are
    // never measured one by one.
    const QFontMetrics metrics = m_pView->fontMetrics();
    const int padding = metrics.horizontalAdvance(QStringLiteral("MM"));
    m_pView->horizontalHeader()->setDefaultSectionSize(padding + metrics.horizontalAdvance(QStringLiteral("00:00")));
    m_pView->verticalHeader()->setDefaultSectionSize(metrics.height() + metrics.height() / 3);
    connect(m_pView, &QAbstractItemView::activated, this, [this](const QModelIndex& index) { Activate(index); });
    connect(m_pModel, &QAbstractItemModel::modelReset, this, [this, padding, metrics] {
        m_pView->setColumnWidth(CoverageMatrixModel::kTableColumn,
                                padding + metrics.horizontalAdvance(QLatin1Char('x')) * 24);
        m_pView->setColumnWidth(CoverageMatrixModel::kChannelsColumn,
                                padding + metrics.horizontalAdvance(Latin1(kMatrixChannelsHeading)));
    });

    auto* pAddTables = new QPushButton(Latin1(kMatrixAddTables), this);
    auto* pAddFolder = new QPushButton(Latin1(kMatrixAddFolder), this);
    const auto call = [this](const std::function<void()>& action) {
        if (action)
            action();
    };
    connect(pAddTables, &QPushButton::clicked, this, [this, call] { call(onAddTables); });
    connect(pAddFolder, &QPushButton::clicked, this, [this, call] { call(onAddFolder); });
    connect(m_pExport, &QPushButton::clicked, this, [this, call] { call(onExport); });
    m_pCounter->onCounted = [this](std::uint64_t round, const std::vector<MatrixCounter::Counted>& counted) {
        TakeCounted(round, counted);
    };

    auto* pButtons = new QHBoxLayout;
    pButtons->addWidget(pAddTables);
    pButtons->addWidget(pAddFolder);
    pButtons->addStretch(1);
    pButtons->addWidget(m_pExport);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pCovering);
    pLayout->addWidget(m_pProgress);
    pLayout->addWidget(m_pView, 1);
    pLayout->addLayout(pButtons);
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 100, metrics.height() * 26);
}

// The counter's threads stop before the model their results would reach.
CoverageMatrixWindow::~CoverageMatrixWindow()
{
    delete m_pCounter;
}

void CoverageMatrixWindow::SetTuners(TunerTableTuners tuners)
{
    m_tuners = std::move(tuners);
    auto pBands = std::make_shared<std::vector<TunerBands>>();
    pBands->reserve(m_tuners.entries.size());
    for (const TunerSpecEntry& entry : m_tuners.entries)
        pBands->emplace_back(entry);
    m_pModel->SetTuners(CoverageMatrixTuners(m_tuners.entries, *pBands));
    m_pBands = std::move(pBands);
    // The counts against the tuners before are of no use any more.
    m_pCounter->Stop();
    ++m_round;
    m_rowsToCount = 0;
    setWindowTitle(QString::fromUtf8(kMatrixTitleOf).arg(PrintableFileName(QFileInfo(m_tuners.path).fileName())));
    m_pView->setAccessibleName(windowTitle());
    if (m_pModel->RowCount() > 1)
        CountRows(1);
    ShowProgress();
}

void CoverageMatrixWindow::ShowOpenTable(const ChannelTableDocument& document, bool bCount)
{
    if (!m_pBands)
        return;
    const QString path = QFile::decodeName(QByteArray::fromStdString(document.SavePath()));
    if (m_pModel->RowCount() == 0)
        m_pModel->AddRow(path, OpenTableName(document));
    // The row keeps its place while the editor opens another file.
    m_pModel->SetSource(0, path, OpenTableName(document));
    if (!bCount && m_pModel->RowAt(0).state != CoverageMatrixModel::RowState::Waiting)
        return;
    CountedTable counted;
    if (const ChannelTable* pTable = document.Table())
        counted = CountTable(*pTable, *m_pBands);
    else
        counted.reason = Latin1(kMatrixNoTable);
    m_pModel->SetCounted(0, std::move(counted));
    ShowProgress();
}

void CoverageMatrixWindow::AddTables(const QStringList& paths)
{
    // The same file named twice, or the open table's own, is one row.
    QStringList shown;
    for (int row = 0; row < m_pModel->RowCount(); ++row) {
        if (!m_pModel->RowAt(row).path.isEmpty())
            shown << CanonicalFileName(m_pModel->RowAt(row).path);
    }
    const int first = m_pModel->RowCount();
    for (const QString& path : paths) {
        const QString canonical = CanonicalFileName(path);
        if (shown.contains(canonical))
            continue;
        shown << canonical;
        m_pModel->AddRow(path, PrintableFileName(path).section(QLatin1Char('/'), -1));
    }
    if (m_pBands)
        CountRows(first);
    ShowProgress();
}

void CoverageMatrixWindow::CountRows(int first)
{
    std::vector<MatrixCounter::Job> jobs;
    for (int row = std::max(first, 1); row < m_pModel->RowCount(); ++row)
        jobs.push_back({row, m_pModel->RowAt(row).path});
    m_rowsToCount += static_cast<int>(jobs.size());
    m_pCounter->Count(std::move(jobs), m_pBands, m_round);
}

void CoverageMatrixWindow::TakeCounted(std::uint64_t round, const std::vector<MatrixCounter::Counted>& counted)
{
    if (round != m_round)
        return;
    for (const MatrixCounter::Counted& result : counted) {
        if (result.row < m_pModel->RowCount())
            m_pModel->SetCounted(result.row, result.table);
    }
    ShowProgress();
}

void CoverageMatrixWindow::ShowProgress()
{
    const QString covering = Latin1(kMatrixCovering).arg(m_pModel->CoveringText());
    if (m_pCovering->text() != covering) {
        m_pCovering->setText(covering);
        m_pView->setAccessibleDescription(covering);
    }
    const int waiting = m_pModel->WaitingRows();
    if (waiting == 0)
        m_rowsToCount = 0;
    m_pProgress->setVisible(waiting > 0);
    m_pProgress->setRange(0, m_rowsToCount);
    m_pProgress->setValue(m_rowsToCount - waiting);
    // A matrix still counting would be written with rows missing.
    m_pExport->setEnabled(waiting == 0 && m_pModel->RowCount() > 0);
}

QString CoverageMatrixWindow::CoveringText() const
{
    return m_pCovering->text();
}

QString CoverageMatrixWindow::ProgressText() const
{
    return m_pProgress->isHidden() ? QString() : m_pProgress->text();
}

bool CoverageMatrixWindow::IsCounting() const
{
    return m_pModel->WaitingRows() > 0;
}

void CoverageMatrixWindow::Activate(const QModelIndex& index)
{
    if (!index.isValid() || !onActivate)
        return;
    const int tuner = CoverageMatrixModel::TunerOf(index.column());
    onActivate(index.row(), tuner >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(tuner)) : std::nullopt);
}
