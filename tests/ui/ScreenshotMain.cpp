// Renders every dialog to a PNG (offscreen unless a display is asked for), in
// a state that shows its controls filled in: for looking at layouts at any
// scale factor (QT_SCALE_FACTOR=2) and palette.
//
//     vornalix-screenshots DIR [dark] [--screen=WIDTHxHEIGHT]
//
// --screen sets the offscreen screen's size; the editors are also shown
// resized larger and as large as the screen (NAME-larger.png, NAME-screen.png).
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "edit/RecoveryStore.h"
#include "platform/FileIO.h"
#include "res/Strings.h"
#include "res/resource.h"
#include "tables/analysis/TableChecks.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecTable.h"
#include "tests/TunerEntries.h"
#include "tests/ui/FakeUserServices.h"
#include "ui/app/ApplicationStyle.h"
#include "ui/app/CAboutDlg.h"
#include "ui/app/CConvertDlg.h"
#include "ui/app/CLauncherDlg.h"
#include "ui/app/UserServices.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/CPlanChooserDlg.h"
#include "ui/channel/chart/CBandChartWindow.h"
#include "ui/channel/compare/ChannelCompareWindow.h"
#include "ui/channel/matrix/CoverageMatrixModel.h"
#include "ui/channel/matrix/CoverageMatrixWindow.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/dialog/ListView.h"
#include "ui/editor/CTableFindingsWindow.h"
#include "ui/editor/EditHistoryUi.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"
#include "ui/editor/RecoveryCopiesDlg.h"
#include "ui/editor/RecoveryCopiesList.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

// An editor's status line shows the check of the table as it stands, not
// "Checking...", once its worker is done.
void WaitForTheCheck(CDialog& dialog)
{
    const EditorFrame* pFrame = EditorFrame::Of(dialog);
    auto* pLine = pFrame ? qobject_cast<EditorStatusLine*>(pFrame->StatusLine()) : nullptr;
    const QDeadlineTimer deadline(3000);
    while (pLine && !pLine->IsCheckCurrent() && !deadline.hasExpired()) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    QApplication::processEvents();
}

void Save(CDialog& dialog, const QString& folder, const QString& name)
{
    dialog.Create();
    QApplication::processEvents();
    WaitForTheCheck(dialog);
    dialog.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void Press(CDialog& dialog, int id)
{
    dialog.OnCommand(id);
}

// The kept copies' bar and list over copies with hostile names and a damaged one, and the
// note an editor shows when its copies cannot be kept; in a state folder of
// their own.
void SaveRecoveryShots(FakeUserServices& services, const QString& folder)
{
    const QByteArray previousState = qgetenv("XDG_STATE_HOME");
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    const std::string recovery = RecoveryFolder();
    const auto plant = [&recovery](int i, const std::vector<std::uint8_t>& image, const std::string& source) {
        const std::string name = recovery + "/" + std::to_string(1765000000 + i) + "-1-0.ccf";
        WriteFileSafely(name.c_str(), image);
        WriteFileSafely((name + ".source").c_str(), std::vector<std::uint8_t>(source.begin(), source.end()));
    };
    ChannelTable table(true);
    table.AppendFrequencies(ChannelModeAir, {55.25, 62.25, 175.25});
    const std::vector<std::uint8_t> image = table.FileImage();
    plant(4, image, RecoverySourceText(RecoverySource{"/home/user/tables/us.ccf", std::nullopt}, "ccf"));
    plant(3, image,
          RecoverySourceText(RecoverySource{"/home/user/" + std::string(120, 'n') + ".ccf", std::nullopt}, "ccf"));
    plant(2, image, std::string("\x1b[2J\x07/tmp/x", 13));
    plant(1, image, RecoverySourceText(RecoverySource{}, "ccf"));
    plant(0, std::vector<std::uint8_t>(4096, 0x5a), "garbage");

    CFrequencyTableDlg editor{services};
    editor.Create();
    // The bar that offers them, and the list "Show All..." opens.
    editor.grab().save(folder + QStringLiteral("/recovery-bar.png"));
    RecoveryCopyActions actions;
    actions.list = [] { return ListRecoveryCopies("ccf"); };
    RecoveryCopiesList list(actions, ListRecoveryCopies("ccf"));
    RecoveryCopiesDlg copies(list, &editor);
    copies.show();
    QApplication::processEvents();
    copies.grab().save(folder + QStringLiteral("/recovery-list.png"));
    copies.close();
    QtUserServices desktop;
    desktop.ShowNote(&editor, QStringLiteral("Unsaved changes are not kept in recovery copies: "
                                             "/home/user/.local/state/vornalix/recovery is a symbolic link or no "
                                             "folder."));
    QApplication::processEvents();
    for (QMessageBox* pNote : editor.findChildren<QMessageBox*>()) {
        pNote->grab().save(folder + QStringLiteral("/recovery-note.png"));
        pNote->close();
    }
    qputenv("XDG_STATE_HOME", previousState);
}

// The form a bulk edit asks with, as the desktop's services show it: Fill
// Raster's, with its place to choose.
void SaveValueForm(const QString& folder)
{
    QtUserServices services;
    ValuesRequest request;
    request.title = QStringLiteral("Fill Raster");
    request.fields = {ValueField{QStringLiteral("&Start (MHz):"), QStringLiteral("471.25")},
                      ValueField{QStringLiteral("S&tep (MHz):"), QStringLiteral("8")},
                      ValueField{QStringLiteral("&Count:"), QStringLiteral("49")},
                      ValueField{QStringLiteral("&Where:"), QStringLiteral("before channel 21"),
                                 QStringList{QStringLiteral("before channel 21"), QStringLiteral("at the end")}}};
    QTimer::singleShot(200, [folder] {
        if (QWidget* pForm = QApplication::activeModalWidget()) {
            pForm->grab().save(folder + QStringLiteral("/fill-raster-form.png"));
            pForm->close();
        }
    });
    services.AskValues(nullptr, request);
}

// The menu bar's menus as they open over an editor: NAME-menu-file.png...
void SaveMenus(CDialog& editor, const QString& folder, const QString& name)
{
    const QList<QAction*> titles = EditorFrame::Of(editor)->MenuBar()->Bar()->actions();
    for (QAction* pTitle : titles) {
        QMenu* pMenu = pTitle->menu();
        if (!pMenu)
            continue;
        pMenu->popup(editor.mapToGlobal(QPoint(0, EditorFrame::Of(editor)->MenuBar()->Bar()->height())));
        QApplication::processEvents();
        const QString menuName = pTitle->text().remove(QLatin1Char('&')).toLower();
        pMenu->grab().save(folder + QLatin1Char('/') + name + QStringLiteral("-menu-") + menuName +
                           QStringLiteral(".png"));
        pMenu->hide();
    }
}

// The editor at its opening size, larger by a third, and as large as the
// screen's available area.
// A frequency being typed into its cell of the list, then Escape.
void SaveCellEditing(CFrequencyTableDlg& editor, const QString& folder)
{
    editor.show();
    ListView* pList = editor.GetListView(IDC_LIST_CHANNELS);
    pList->setFocus();
    pList->EditCell(3);
    QApplication::processEvents();
    if (auto* pCell = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
        pCell->setText(QStringLiteral("182.25"));
    editor.grab().save(folder + QStringLiteral("/frequency-table-cell.png"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &escape);
    QApplication::processEvents();
}

void SaveSizes(CDialog& editor, const QString& folder, const QString& name)
{
    editor.Create();
    QApplication::processEvents();
    WaitForTheCheck(editor);
    editor.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    const QSize opening = editor.size();
    const QSize available = editor.screen()->availableGeometry().size();
    editor.resize((opening * 4 / 3).boundedTo(available));
    QApplication::processEvents();
    editor.grab().save(folder + QLatin1Char('/') + name + QStringLiteral("-larger.png"));
    editor.resize(available);
    QApplication::processEvents();
    editor.grab().save(folder + QLatin1Char('/') + name + QStringLiteral("-screen.png"));
    editor.resize(opening);
    QApplication::processEvents();
}

// An offscreen screen of the size asked for ("1366x768"), by the platform's
// configuration file.
void UseScreenSize(const QString& size, const QString& configFile)
{
    const QStringList sides = size.split(QLatin1Char('x'));
    if (sides.size() != 2)
        return;
    QFile file(configFile);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QStringLiteral("{\"screens\":[{\"name\":\"shot\",\"x\":0,\"y\":0,\"width\":%1,\"height\":%2,"
                              "\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}")
                   .arg(sides[0].toInt())
                   .arg(sides[1].toInt())
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QFile::encodeName(configFile));
}

} // namespace

// The coverage matrix of that table and two more against four tuners, once
// every row is counted.
void ShowCoverageMatrix(CFrequencyTableDlg& editor, FakeUserServices& services, const QTemporaryDir& dir,
                        const QString& folder)
{
    const auto writeTable = [&dir](const char* name, std::int32_t iCountry, const std::vector<double>& air) {
        ChannelTable table(true);
        table.SetCountryCode(iCountry);
        for (const double dbFrequency : air) {
            auto* pNode = new ChannelNode;
            pNode->dbFrequency = dbFrequency;
            table.AppendChannel(ChannelModeAir, pNode);
        }
        const QString path = dir.filePath(QString::fromLatin1(name));
        table.Save(QFile::encodeName(path).constData());
        return path;
    };
    const auto tuner = TunerEntryWithEdges;
    TunerSpecTable tuners(true);
    tuners.AppendEntries({tuner(0x03, 0x12, 44.0, 160.0, 442.0, 958.0), tuner(0x05, 0x01, 48.25, 160.0, 442.0, 863.25),
                          tuner(0x01, 0x05, 50.0, 170.0, 300.0, 500.0), tuner(0x07, 0x21, 470.0, 480.0, 490.0, 500.0)});
    const QString tunerPath = dir.filePath(QStringLiteral("tuners.tsf"));
    tuners.Save(QFile::encodeName(tunerPath).constData());
    services.fileAnswers.push_back(tunerPath);
    editor.OnCommand(IDM_COVERAGE_MATRIX);
    auto* pMatrix = editor.findChild<CoverageMatrixWindow*>();
    if (!pMatrix)
        return;
    services.filesAnswers.push_back({writeTable("germany.ccf", 49, {48.25, 55.25, 175.25, 471.25, 855.25}),
                                     writeTable("zurich.ccf", 41, {471.25, 479.25, 487.25})});
    for (QPushButton* pButton : pMatrix->findChildren<QPushButton*>())
        if (pButton->text() == QLatin1String(kMatrixAddTables))
            pButton->click();
    const QDeadlineTimer deadline(3000);
    while (pMatrix->IsCounting() && !deadline.hasExpired())
        QApplication::processEvents();
    pMatrix->View()->setCurrentIndex(pMatrix->Model().index(0, CoverageMatrixModel::kFirstTunerColumn));
    QApplication::processEvents();
    pMatrix->grab().save(folder + QStringLiteral("/coverage-matrix.png"));
    pMatrix->close();
}

int main(int argc, char** argv)
{
    // The pictures neither read nor change the person's remembered window
    // sizes, nor offer or leave behind recovery copies.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith(QLatin1String("--screen=")))
            UseScreenSize(arg.mid(9), config.filePath(QStringLiteral("screen.json")));
    }
    QApplication app(argc, argv);
    InstallApplicationStyle();
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);
    if (argc > 2 && QString::fromLatin1(argv[2]) == QLatin1String("dark")) {
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(45, 45, 48));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::Button, QColor(60, 60, 64));
        dark.setColor(QPalette::ButtonText, Qt::white);
        QApplication::setPalette(dark);
    }
    FakeUserServices services;

    CLauncherDlg launcher{services};
    Save(launcher, folder, QStringLiteral("launcher"));
    CAboutDlg about{services};
    Save(about, folder, QStringLiteral("about"));

    CFrequencyTableDlg editor{services};
    editor.Create();
    Press(editor, IDC_BUTTON_CREATE_NEW);
    for (const char* text : {"55.25", "62.25", "0", "175.25", "1000"}) {
        editor.SetDlgItemText(IDC_EDIT_FREQUENCY, QString::fromLatin1(text));
        Press(editor, IDC_BUTTON_ADD);
    }
    editor.SetDlgItemText(IDC_EDIT_COUNTRY_CODE, QStringLiteral("44"));
    Press(editor, IDC_BUTTON_ENTER);
    SaveSizes(editor, folder, QStringLiteral("frequency-table"));
    SaveMenus(editor, folder, QStringLiteral("frequency-table"));
    SaveCellEditing(editor, folder);
    // The longest names of the country catalogue.
    for (const char* code : {"389", "1852"}) {
        editor.SetDlgItemText(IDC_EDIT_COUNTRY_CODE, QString::fromLatin1(code));
        Press(editor, IDC_BUTTON_ENTER);
        Save(editor, folder, QStringLiteral("frequency-table-%1").arg(QString::fromLatin1(code)));
    }

    // Rows whose frequency another channel holds too, and the findings of
    // the table's check in their window.
    CFrequencyTableDlg repeated{services};
    repeated.Create();
    Press(repeated, IDC_BUTTON_CREATE_NEW);
    for (const char* text : {"55.25", "62.25", "0", "55.25", "175.25", "62.25", "182.25"}) {
        repeated.SetDlgItemText(IDC_EDIT_FREQUENCY, QString::fromLatin1(text));
        Press(repeated, IDC_BUTTON_ADD);
    }
    repeated.SetDlgItemText(IDC_EDIT_COUNTRY_CODE, QStringLiteral("44"));
    Press(repeated, IDC_BUTTON_ENTER);
    Save(repeated, folder, QStringLiteral("frequency-table-repeated"));
    std::vector<TableFinding> findings;
    CheckChannelTableInMemory(*repeated.Table(), [&findings](const TableFinding& f) { findings.push_back(f); });
    CTableFindingsWindow findingsWindow(&repeated);
    findingsWindow.ShowFindings(findings, FindingKind::Channel);
    QApplication::processEvents();
    findingsWindow.grab().save(folder + QStringLiteral("/table-check.png"));
    findingsWindow.SetFindings({}, FindingKind::Channel);
    QApplication::processEvents();
    findingsWindow.grab().save(folder + QStringLiteral("/table-check-none.png"));
    findingsWindow.close();

    // That table beside the first one in the compare window, F8 on the
    // first difference.
    {
        QTemporaryDir other;
        const QString otherPath = other.filePath(QStringLiteral("last-year.ccf"));
        const std::vector<std::uint8_t> image = editor.Document().Table()->FileImage();
        QFile file(otherPath);
        if (file.open(QIODevice::WriteOnly))
            file.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
        file.close();
        services.fileAnswers.push_back(otherPath);
        repeated.OnCommand(IDM_COMPARE_WITH);
        if (auto* pCompare = repeated.findChild<ChannelCompareWindow*>()) {
            pCompare->GoToDifference(true);
            QApplication::processEvents();
            pCompare->grab().save(folder + QStringLiteral("/compare-with.png"));
            pCompare->close();
        }
        ShowCoverageMatrix(repeated, services, other, folder);
    }

    // The band chart of that table, then against a tuner that misses its
    // highest channel.
    repeated.OnCommand(IDM_BAND_CHART);
    if (CBandChartWindow* pChart = repeated.BandChartWindow()) {
        QApplication::processEvents();
        pChart->grab().save(folder + QStringLiteral("/band-chart.png"));
        TunerChoice tuner;
        tuner.entry = TunerEntryWithEdges(0x03, 0x12, 48.25, 140.25, 168.25, 180.0);
        tuner.entry.SetLowCode(0x8E01);
        tuner.entry.SetMidCode(0x8E02);
        tuner.entry.SetHighCode(0x8E04);
        tuner.factoryName = "Philips";
        repeated.ChooseTuner(tuner);
        QApplication::processEvents();
        pChart->grab().save(folder + QStringLiteral("/band-chart-tuner.png"));
        pChart->close();
    }

    // View > Columns: the Plan, Band and Check columns against that tuner,
    // at the opening size and maximized; then the two columns again, for the
    // editors after it.
    const int columns[] = {IDM_COLUMN_PLAN, IDM_COLUMN_BAND, IDM_COLUMN_CHECK};
    for (int id : columns)
        repeated.OnCommand(id);
    Save(repeated, folder, QStringLiteral("frequency-table-columns"));
    repeated.showMaximized();
    QApplication::processEvents();
    repeated.grab().save(folder + QStringLiteral("/frequency-table-maximized.png"));
    repeated.showNormal();
    for (int id : columns)
        repeated.OnCommand(id);

    // "New from Plan...": the whole list, then filtered to one country, then
    // the editor filled from that country.
    PlanLibrary plans = PlanLibrary::Load(PlanListing::FirstLines);
    CPlanChooserDlg chooser{services, plans};
    Save(chooser, folder, QStringLiteral("plans-chooser"));
    chooser.SetFilter(QStringLiteral("germ"));
    Save(chooser, folder, QStringLiteral("plans-chooser-germ"));
    CFrequencyTableDlg planned{services};
    services.onRunModal = [](CDialog& dialog) {
        auto& choosing = static_cast<CPlanChooserDlg&>(dialog);
        choosing.Create();
        choosing.SetFilter(QStringLiteral("germ"));
        choosing.OnCommand(IDOK);
        return IDOK;
    };
    planned.Create();
    planned.OnNewFromPlan();
    services.onRunModal = nullptr;
    Save(planned, folder, QStringLiteral("plans-editor-germany"));

    CConvertDlg converter{services};
    converter.SetDlgItemText(IDC_STATIC_PATH, QStringLiteral("/home/user/plans/europe-west.cft"));
    converter.SetDlgItemText(IDC_STATIC_STATUS, QStringLiteral("Convert OK, Save to File"));
    Save(converter, folder, QStringLiteral("convert"));
    CTunerEditDlg tuner{services};
    tuner.SetCataloguePath(VORNALIX_SAMPLE_CATALOGUE);
    tuner.Create();
    Press(tuner, IDC_BUTTON_CREATE_TABLE);
    tuner.ComboSetCurSel(IDC_COMBO_FACTORY, 0);
    emit tuner.ComboBox(IDC_COMBO_FACTORY)->activated(0);
    tuner.ComboSetCurSel(IDC_COMBO_TUNER_TYPE, 1);
    emit tuner.ComboBox(IDC_COMBO_TUNER_TYPE)->activated(1);
    const std::pair<int, const char*> fields[] = {
        {IDC_EDIT_LOW_BAND_START, "44.00"}, {IDC_EDIT_MID_BAND_START, "140.25"}, {IDC_EDIT_HIGH_BAND_START, "463.25"},
        {IDC_EDIT_HIGH_BAND_END, "958.00"}, {IDC_EDIT_LOW_CODE, "00A0"},         {IDC_EDIT_MID_CODE, "0090"},
        {IDC_EDIT_HIGH_CODE, "0030"},       {IDC_EDIT_PICTURE_CARRIER, "38.90"}, {IDC_EDIT_PICTURE_CARRIER2, "0"}};
    for (const auto& [id, text] : fields)
        tuner.SetDlgItemText(id, QString::fromLatin1(text));
    Press(tuner, IDC_BUTTON_ADD_INFO);
    SaveSizes(tuner, folder, QStringLiteral("tuner-edit"));
    tuner.GetListView(IDC_LIST_TUNERS)->SetCurrentRow(0);
    SaveMenus(tuner, folder, QStringLiteral("tuner-edit"));
    // View > Columns > Band Edges, at the template's size and maximized.
    tuner.ToggleBandEdges();
    Save(tuner, folder, QStringLiteral("tuner-edit-band-edges"));
    tuner.showMaximized();
    QApplication::processEvents();
    tuner.grab().save(folder + QStringLiteral("/tuner-edit-band-edges-maximized.png"));
    tuner.showNormal();
    tuner.ToggleBandEdges();
    // Table > Check Table of a tuner table: an entry whose factory code is not
    // BCD and whose picture carrier is 0, and one with bands outside the
    // tuning range.
    {
        TunerSpecTable checked(true);
        TunerSpecEntry notBcd = TunerEntryWithEdges(0x1A, 0x01, 48.25, 160.0, 442.0, 863.25);
        notBcd.SetPictureCarrier(0.0);
        TunerSpecEntry wide = TunerEntryWithEdges(0x03, 0x12, 20.0, 160.0, 442.0, 1200.0);
        wide.SetPictureCarrier(38.9);
        checked.AppendEntries({notBcd, wide});
        CTableFindingsWindow tunerFindings(&tuner);
        tunerFindings.ShowFindings(TunerTableFindings(checked.FileImage()));
        QApplication::processEvents();
        tunerFindings.grab().save(folder + QStringLiteral("/tuner-table-check.png"));
        tunerFindings.close();
    }

    SaveRecoveryShots(services, folder);
    SaveValueForm(folder);
    return 0;
}
