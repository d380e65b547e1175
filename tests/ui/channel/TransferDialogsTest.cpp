// The editors' file dialogs and their CSV: each dialog is titled after its
// command and proposes the table's own name (or its country's), the filter
// chosen decides an export's format and extension, and the editor and
// vornalix-tool read each other's CSV, the tool run as the real program.
#include <gtest/gtest.h>

#include <cstdio>

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QTreeView>

#include "edit/TableTransfer.h"
#include "edit/TunerTableDocument.h"
#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tables/text/TableJson.h"
#include "tests/TestFiles.h"
#include "tests/tool/ToolProcess.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/editor/EditorFileCommands.h"
#include "ui/editor/EditorFrame.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

void Trigger(const CDialog& dialog, int command)
{
    for (QAction* pTitle : EditorFrame::Of(dialog)->MenuBar()->Bar()->actions())
        emit pTitle->menu()->aboutToShow();
    QAction* pAction = EditorFrame::Of(dialog)->MenuBar()->Action(command);
    ASSERT_NE(pAction, nullptr);
    ASSERT_TRUE(pAction->isEnabled()) << "menu item " << command << " is greyed";
    pAction->trigger();
}

std::string TextOfFile(const std::string& path)
{
    const Bytes bytes = ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<double> ListOfFile(const std::string& path, std::int32_t iMode)
{
    ChannelTable table(false);
    EXPECT_TRUE(table.Load(path.c_str())) << path;
    return ChannelFrequencies(table.Channels(iMode));
}

class TransferDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dlg.Create();
        WriteAll(table, ChannelTableImage(33, {175.25, 182.25}, {112.25}, 1, 1));
    }

    void Load(const std::string& path)
    {
        services.fileAnswers.push_back(QString::fromStdString(path));
        Trigger(dlg, IDM_OPEN);
    }
    // Export... answered with a path and the filter it was chosen under.
    void Export(const std::string& path, int iFilter)
    {
        services.fileAnswers.push_back(QString::fromStdString(path));
        services.fileFilterAnswers.push_back(iFilter);
        Trigger(dlg, IDM_EXPORT);
    }
    void Import(const std::string& path)
    {
        services.fileAnswers.push_back(QString::fromStdString(path));
        Trigger(dlg, IDM_IMPORT);
    }
    std::vector<double> Shown(std::int32_t iMode) { return ChannelFrequencies(dlg.Table()->Channels(iMode)); }

    TempDir dir;
    const std::string table = dir.File("fr.ccf");
    FakeUserServices services;
    CFrequencyTableDlg dlg{services};
};

TEST_F(TransferDialogsTest, TheChosenFilterDecidesAPlainNamesFormatAndExtension)
{
    Load(table);
    // "CSV Channel Lists" chosen, a name typed without an extension.
    Export(dir.File("plain"), 1);
    EXPECT_FALSE(FileExists(dir.File("plain")));
    EXPECT_EQ(TextOfFile(dir.File("plain.csv")), "channel,frequency_mhz\n1,175.25\n2,182.25\n");
    // "JSON Tables" chosen: the whole table as JSON, in a .json file.
    Export(dir.File("whole"), 0);
    EXPECT_EQ(TextOfFile(dir.File("whole.json")), ChannelTableJsonText(*dlg.Table()));
    // A name typed with a format's extension is that format, whatever the filter.
    Export(dir.File("typed.CSV"), 0);
    EXPECT_EQ(TextOfFile(dir.File("typed.CSV")), "channel,frequency_mhz\n1,175.25\n2,182.25\n");
    Export(dir.File("typed.json"), 1);
    EXPECT_EQ(TextOfFile(dir.File("typed.json")), ChannelTableJsonText(*dlg.Table()));
    // Another extension under "All Files" is kept, the content JSON.
    Export(dir.File("table.txt"), 2);
    EXPECT_EQ(TextOfFile(dir.File("table.txt")), ChannelTableJsonText(*dlg.Table()));
    EXPECT_TRUE(services.messages.empty());

    // Import reads a CSV chosen under the CSV filter whatever its name says
    // not, and a .csv under any filter.
    ASSERT_EQ(std::rename(dir.File("plain.csv").c_str(), dir.File("list.txt").c_str()), 0);
    Trigger(dlg, IDC_BUTTON_CREATE_NEW);
    services.fileFilterAnswers.push_back(1);
    Import(dir.File("list.txt"));
    EXPECT_EQ(dlg.Document().CurrentFrequencies(), (std::vector<double>{175.25, 182.25}));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(TransferDialogsTest, DialogsAreTitledAfterTheirCommandAndProposeTheTablesName)
{
    // A new table of no file: its country's name.
    Trigger(dlg, IDC_BUTTON_CREATE_NEW);
    TypeInto(dlg, IDC_EDIT_COUNTRY_CODE, "44");
    Click(dlg, IDC_BUTTON_ENTER);
    Trigger(dlg, IDM_SAVE_AS);
    Trigger(dlg, IDM_EXPORT);
    Trigger(dlg, IDM_IMPORT);
    Trigger(dlg, IDM_OPEN);
    ASSERT_EQ(services.fileRequests.size(), 4u);
    const auto expect = [this](std::size_t index, const char* title, bool bOpen, const QString& fileName,
                               const QString& directory, const char* defaultExt) {
        SCOPED_TRACE(title);
        const FileDialogRequest& request = services.fileRequests.at(index);
        EXPECT_EQ(request.title, title);
        EXPECT_EQ(request.bOpen, bOpen);
        EXPECT_EQ(request.fileName, fileName);
        EXPECT_EQ(request.directory, directory);
        EXPECT_EQ(request.defaultExt, defaultExt);
        EXPECT_EQ(request.flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    };
    expect(0, "Save As", false, "United Kingdom.ccf", "", "ccf");
    expect(1, "Export", false, "United Kingdom.json", "", "json");
    // Open and Import propose no name: their button waits for a file.
    expect(2, "Import", true, "", "", "json");
    expect(3, "Open", true, "", "", "ccf");

    // A table of a file: that file, and its folder.
    services.fileRequests.clear();
    Load(table);
    Trigger(dlg, IDM_SAVE_AS);
    Trigger(dlg, IDM_EXPORT);
    Trigger(dlg, IDM_IMPORT);
    Trigger(dlg, IDM_OPEN);
    ASSERT_EQ(services.fileRequests.size(), 5u);
    const QString folder = QString::fromStdString(dir.Path());
    expect(1, "Save As", false, QString::fromStdString(table), folder, "ccf");
    expect(2, "Export", false, folder + "/fr.json", folder, "json");
    expect(3, "Import", true, "", folder, "json");
    expect(4, "Open", true, "", folder, "ccf");
    // The editor's own buttons offer "Vornalix" in the same folder.
    Click(dlg, IDC_BUTTON_SAVE_TO_FILE);
    Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
    ASSERT_EQ(services.fileRequests.size(), 7u);
    expect(5, "Save As", false, "Vornalix", folder, "ccf");
    expect(6, "Open", true, "Vornalix", folder, "ccf");
}

TEST_F(TransferDialogsTest, TunerEditorDialogsAreTitledAndProposeItsFile)
{
    CTunerEditDlg tuners{services};
    tuners.Create();
    Trigger(tuners, IDC_BUTTON_CREATE_TABLE);
    Trigger(tuners, IDM_SAVE_AS);
    Trigger(tuners, IDM_EXPORT);
    const std::string path = dir.File("tuners.tsf");
    {
        TunerTableDocument doc;
        ASSERT_TRUE(doc.CreateNew());
        FileError error;
        ASSERT_TRUE(doc.Save(path, error));
    }
    services.fileAnswers.push_back(QString::fromStdString(path));
    Trigger(tuners, IDM_OPEN);
    Trigger(tuners, IDM_SAVE_AS);
    // A plain name chosen for the export is given the JSON extension.
    services.fileAnswers.push_back(QString::fromStdString(dir.File("tuners")));
    Trigger(tuners, IDM_EXPORT);
    Trigger(tuners, IDM_IMPORT);
    ASSERT_EQ(services.fileRequests.size(), 6u);
    const QString folder = QString::fromStdString(dir.Path());
    const std::vector<std::pair<QString, QString>> expected = {
        {"Save As", ""},
        {"Export", ""},
        {"Open", ""},
        {"Save As", QString::fromStdString(path)},
        {"Export", folder + "/tuners.json"},
        {"Import", ""},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(services.fileRequests[i].title, expected[i].first) << i;
        EXPECT_EQ(services.fileRequests[i].fileName, expected[i].second) << i;
    }
    EXPECT_EQ(services.fileRequests[5].directory, folder);
    EXPECT_EQ(TextOfFile(dir.File("tuners.json")), TunerTableJsonText(*tuners.Document().Table()));
}

// The editor's export of the list it shows builds, through the real tool, a
// table with that list; the tool's export of a whole table imports into the
// editor as both its lists.
TEST_F(TransferDialogsTest, EditorAndToolReadEachOthersCsv)
{
    Load(table);
    Export(dir.File("air"), 1);
    ToolRun run = RunToolProcess({"build", "--csv", dir.File("air.csv"), "--country", "33", "-o", dir.File("a.ccf")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ListOfFile(dir.File("a.ccf"), ChannelModeAir), (std::vector<double>{175.25, 182.25}));
    EXPECT_TRUE(ListOfFile(dir.File("a.ccf"), ChannelModeCable).empty());
    run = RunToolProcess(
        {"build", "--csv", dir.File("air.csv"), "--country", "33", "--list", "cable", "-o", dir.File("c.ccf")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ListOfFile(dir.File("c.ccf"), ChannelModeCable), (std::vector<double>{175.25, 182.25}));

    const std::string other = dir.File("other.ccf");
    WriteAll(other, ChannelTableImage(33, {48.25, 0.0, 62.25}, {112.25, 119.25}, 1, 1));
    run = RunToolProcess({"export", other});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string toolCsv = dir.File("tool.csv");
    WriteAll(toolCsv, Bytes(run.out.begin(), run.out.end()));
    Import(toolCsv);
    EXPECT_TRUE(services.messages.empty()) << services.messages.front().toStdString();
    EXPECT_EQ(Shown(ChannelModeAir), (std::vector<double>{48.25, 0.0, 62.25}));
    EXPECT_EQ(Shown(ChannelModeCable), (std::vector<double>{112.25, 119.25}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "3");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MAX), "2");
    // Both lists are one step that undo takes back.
    EXPECT_EQ(dlg.Document().UndoName(), "Import");
    Trigger(dlg, IDM_UNDO);
    EXPECT_EQ(Shown(ChannelModeAir), (std::vector<double>{175.25, 182.25}));
    EXPECT_EQ(Shown(ChannelModeCable), (std::vector<double>{112.25}));
}

// The desktop's file dialog, as Qt's own dialog runs it offscreen: titled,
// proposing the name, and a plain name taking the chosen filter's extension.
TEST(QtFileDialog, TitleProposedNameAndTheChosenFiltersExtension)
{
    TempDir dir;
    FileDialogRequest request = TransferFileRequest(FileCommand::Export, TableFileNames{"", "France"}, true);
    request.directory = QString::fromStdString(dir.Path());
    QString title, proposed;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* pDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!pDialog)
            return;
        timer.stop();
        title = pDialog->windowTitle();
        auto* pName = pDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* pTypes = pDialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        if (!pName || !pTypes) {
            pDialog->reject();
            return;
        }
        proposed = pName->text();
        // What picking the filter with the mouse reports.
        pTypes->setCurrentIndex(1);
        emit pTypes->activated(1);
        emit pTypes->textActivated(pTypes->currentText());
        pName->setText(QStringLiteral("plain"));
        // As the dialog's own button accepts it.
        QMetaObject::invokeMethod(pDialog, "accept");
    });
    timer.start();
    QtUserServices desktop;
    const std::optional<FileChoice> choice = desktop.ChooseFileAndFilter(request);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(title, "Export");
    EXPECT_EQ(proposed, "France.json");
    EXPECT_EQ(choice->iFilter, 1);
    EXPECT_EQ(choice->path, QString::fromStdString(dir.File("plain.csv")));
    EXPECT_EQ(ResolveTransferTarget(request, *choice).format, TransferFormat::Csv);
}

} // namespace

// The detail view's size and date columns are as wide as their captions and
// what they show, and the dialog gives the four columns room beside each
// other: Qt's own sample widths cut "Date Modified".
TEST(QtFileDialog, SizeAndDateColumnsAreNotCut)
{
    TempDir dir;
    WriteAll(dir.File("France.json"), Bytes(1500, 0x20));
    FileDialogRequest request = TransferFileRequest(FileCommand::Export, TableFileNames{"", "France"}, true);
    request.directory = QString::fromStdString(dir.Path());
    std::vector<std::pair<int, int>> columns; // width, and its caption's or its text's
    int iColumnsWidth = 0, iViewWidth = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* pDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* pTree = pDialog ? pDialog->findChild<QTreeView*>(QStringLiteral("treeView")) : nullptr;
        if (!pTree || pTree->model()->rowCount(pTree->rootIndex()) == 0)
            return;
        // One turn more, for the listing's own announcement to be handled.
        if (columns.empty()) {
            columns.emplace_back(-1, -1);
            return;
        }
        timer.stop();
        columns.clear();
        QHeaderView* pHeader = pTree->header();
        const QModelIndex file = pTree->model()->index(0, 0, pTree->rootIndex());
        for (int column = 1; column < pHeader->count(); ++column) {
            const QString text = file.siblingAtColumn(column).data().toString();
            columns.emplace_back(pHeader->sectionSize(column), std::max(pHeader->sectionSizeHint(column),
                                                                        pTree->fontMetrics().horizontalAdvance(text)));
        }
        iColumnsWidth = pHeader->length();
        iViewWidth = pTree->viewport()->width();
        pDialog->reject();
    });
    timer.start();
    QtUserServices desktop;
    EXPECT_FALSE(desktop.ChooseFileAndFilter(request).has_value());
    ASSERT_EQ(columns.size(), 3U);
    for (const auto& [iWidth, iNeeded] : columns)
        EXPECT_GE(iWidth, iNeeded);
    EXPECT_LE(iColumnsWidth, iViewWidth);
}
