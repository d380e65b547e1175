#include "ui/channel/chart/CBandChartWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "res/Strings.h"
#include "ui/app/UserServices.h"
#include "ui/dialog/AccessibleTree.h"
#include "ui/editor/CTableFindingsWindow.h"

namespace {

QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

// The largest PNG Export... paints: 16384 pixels a side, as Qt's raster
// painting still handles without tiling.
// A page at 300 dpi (A4: 2480 x 3508) or a poster at 150: painting and
// encoding the largest takes under a second, where 16384 froze the window
// for seconds and took a gigabyte.
constexpr int kLargestPngSide = 4096;

} // namespace

CBandChartWindow::CBandChartWindow(UserServices& services, QWidget* pParent)
    : QWidget(pParent, Qt::Window), m_services(services), m_pView(new BandChartView(this)),
      m_pSummary(new QLabel(this)), m_pExport(new QPushButton(Text(kBandChartExport), this))
{
    setObjectName(QStringLiteral("BandChart"));
    ReadAsWindow(this);
    setWindowModality(Qt::NonModal);
    setWindowTitle(Text(kBandChartTitle));
    m_pSummary->setObjectName(QStringLiteral("BandChartSummary"));
    m_pExport->setObjectName(QStringLiteral("BandChartExport"));
    m_pView->onActivate = [this](std::int32_t iList, std::int32_t iChannel) {
        if (onActivate)
            onActivate(iList, iChannel);
    };
    connect(m_pExport, &QPushButton::clicked, this, [this] { OnExport(); });

    auto* pRow = new QHBoxLayout;
    pRow->addWidget(m_pSummary, 1);
    pRow->addWidget(m_pExport);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pView, 1);
    pLayout->addLayout(pRow);
    const QFontMetrics metrics = fontMetrics();
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 120, metrics.height() * 22);
    setFocusProxy(m_pView);
}

CBandChartWindow::~CBandChartWindow() = default;

void CBandChartWindow::SetTitleName(const QString& tableName, const TableFileNames& names)
{
    m_tableName = tableName;
    m_names = names;
    setWindowTitle(Text(kBandChartTitleOf).arg(tableName));
}

void CBandChartWindow::SetChart(BandChart chart, const QString& tableName, const TableFileNames& names)
{
    SetTitleName(tableName, names);
    m_pView->SetChart(std::move(chart));
    ShowSummary();
}

void CBandChartWindow::RemakeLane(std::int32_t iList, const std::vector<double>& frequencies,
                                  const ChannelLabelFunction& labels)
{
    m_pView->RemakeLane(iList, frequencies, labels);
    ShowSummary();
}

void CBandChartWindow::ShowSummary()
{
    const BandChart& chart = m_pView->Chart();
    const std::size_t air = chart.Lane(ChannelModeAir).marks.size();
    const std::size_t cable = chart.Lane(ChannelModeCable).marks.size();
    QString summary = Text(kBandChartSummary).arg(air).arg(cable);
    if (chart.HasTuner())
        summary +=
            QStringLiteral("; ") +
            Text(kBandChartUncovered).arg(QString::fromStdString(chart.TunerTitle())).arg(chart.UncoveredCount());
    m_pSummary->setText(summary);
    m_pView->setAccessibleDescription(summary);
}

QString CBandChartWindow::SummaryText() const
{
    return m_pSummary->text();
}

void CBandChartWindow::ShowWindow()
{
    if (!isVisible())
        MoveBesideEditor(*this);
    show();
    raise();
    activateWindow();
    m_pView->setFocus();
}

void CBandChartWindow::OnExport()
{
    const QString filter = Text(kBandChartExportFilter);
    const FileDialogRequest request = CommandFileRequest(FileCommand::Export, m_names, filter, QStringLiteral("svg"));
    std::optional<FileChoice> chosen = m_services.ChooseFileAndFilter(request);
    if (!chosen)
        return;
    // The filter chosen decides, as the editors' Export... does.
    if (ResolveExportFormat(filter, *chosen, QStringLiteral("svg"), QStringLiteral("png")) == QLatin1String("png")) {
        WritePng(chosen->path);
        return;
    }
    const std::string svg = BandChartSvg(m_pView->Chart(), m_tableName.toStdString());
    WriteExportFile(m_services, this, chosen->path, svg.data(), svg.size());
}

// The size is asked for, the chart's own size proposed.
bool CBandChartWindow::WritePng(const QString& path)
{
    const QSize shown = m_pView->size();
    const auto values = m_services.AskValues(this, {Text(kBandChartPngTitle),
                                                    {{Text(kBandChartPngWidth), QString::number(shown.width())},
                                                     {Text(kBandChartPngHeight), QString::number(shown.height())}}});
    if (!values || values->size() != 2)
        return false;
    bool bWidth = false;
    bool bHeight = false;
    const int width = values->at(0).trimmed().toInt(&bWidth);
    const int height = values->at(1).trimmed().toInt(&bHeight);
    if (!bWidth || !bHeight || width < 100 || height < 100 || width > kLargestPngSide || height > kLargestPngSide) {
        m_services.ShowMessage(this, Text(kBandChartBadPngSize).arg(kLargestPngSide), MessageIcon::Exclamation);
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QByteArray bytes = m_pView->PngImage(QSize(width, height));
    QApplication::restoreOverrideCursor();
    if (bytes.isEmpty()) {
        m_services.ShowMessage(this, Text(kCannotExportText).arg(path), MessageIcon::Exclamation);
        return false;
    }
    return WriteExportFile(m_services, this, path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
