// Renders every dialog to a PNG (offscreen unless a display is asked for), in
// a state that shows its controls filled in: for looking at layouts at any
// scale factor (QT_SCALE_FACTOR=2) and palette.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>

#include "CAboutDlg.h"
#include "CConvertDlg.h"
#include "CFrequencyTableDlg.h"
#include "CLauncherDlg.h"
#include "CPlanChooserDlg.h"
#include "CTableFindingsWindow.h"
#include "CTunerEditDlg.h"
#include "DialogMenuBar.h"
#include "FakeUserServices.h"
#include "TableChecks.h"
#include "resource.h"

namespace {

void Save(CDialog& dialog, const QString& folder, const QString& name)
{
    dialog.Create();
    QApplication::processEvents();
    dialog.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void Press(CDialog& dialog, int id)
{
    dialog.OnCommand(id);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
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
    Save(editor, folder, QStringLiteral("frequency-table"));
    // The menu bar's menus as they open over the editor.
    const QStringList menuNames = {QStringLiteral("file"), QStringLiteral("edit"), QStringLiteral("table"),
                                   QStringLiteral("help")};
    const QList<QAction*> titles = editor.MenuBar()->Bar()->actions();
    for (int i = 0; i < titles.size() && i < menuNames.size(); ++i) {
        QMenu* pMenu = titles[i]->menu();
        pMenu->popup(editor.mapToGlobal(QPoint(0, editor.MenuBar()->Bar()->height())));
        QApplication::processEvents();
        pMenu->grab().save(folder + QStringLiteral("/frequency-table-menu-") + menuNames[i] + QStringLiteral(".png"));
        pMenu->hide();
    }
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

    // "New from Plan...": the whole list, then filtered to one country, then
    // the editor filled from that country.
    const PlanLibrary plans = PlanLibrary::Load();
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
    Save(tuner, folder, QStringLiteral("tuner-edit"));
    return 0;
}
