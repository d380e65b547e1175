#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/app/CConvertDlg.h"
#include "ui/channel/CFrequencyTableDlg.h"

namespace {

struct ConverterState
{
    QString path;
    QString status;
    bool loadEnabled;
    bool convertEnabled;
};

ConverterState StateOf(const CConvertDlg& dialog)
{
    return {TextOf(dialog, IDC_STATIC_PATH), TextOf(dialog, IDC_STATIC_STATUS), EnabledOf(dialog, IDC_BUTTON_LOAD_FILE),
            EnabledOf(dialog, IDOK)};
}

void ExpectState(const CConvertDlg& dialog, const QString& path, const QString& status, bool loadEnabled,
                 bool convertEnabled)
{
    const ConverterState state = StateOf(dialog);
    EXPECT_EQ(state.path, path);
    EXPECT_EQ(state.status, status);
    EXPECT_EQ(state.loadEnabled, loadEnabled);
    EXPECT_EQ(state.convertEnabled, convertEnabled);
}

class ConvertDlgTest : public ::testing::Test
{
protected:
    FakeUserServices services;
    TempDir dir;
    CConvertDlg dialog{services};

    void SetUp() override { dialog.Create(); }

    QString Write(const std::string& name, const Bytes& bytes)
    {
        WriteAll(dir.File(name), bytes);
        return QString::fromStdString(dir.File(name));
    }

    void LoadFile(const QString& path)
    {
        services.fileAnswers.push_back(path);
        Click(dialog, IDC_BUTTON_LOAD_FILE);
    }
};

} // namespace

TEST_F(ConvertDlgTest, OpensEmptyAndAsksForOldTables)
{
    EXPECT_EQ(dialog.windowTitle(), "Convert");
    ExpectState(dialog, "", "Convert Status", true, false);
    Click(dialog, IDC_BUTTON_LOAD_FILE); // cancelled
    ASSERT_EQ(services.fileRequests.size(), 1u);
    const FileDialogRequest& request = services.fileRequests[0];
    EXPECT_TRUE(request.bOpen);
    EXPECT_EQ(request.defaultExt, "cft");
    EXPECT_EQ(request.fileName, "Vornalix");
    EXPECT_EQ(request.title, "Open");
    EXPECT_EQ(request.directory, "");
    EXPECT_EQ(request.flags, 6u);
    EXPECT_EQ(request.filter, "CFT Files (*.cft)|*.cft||");
    ExpectState(dialog, "", "Convert Status", true, false);
}

TEST_F(ConvertDlgTest, LoadConvertAndWriteBesideTheInput)
{
    // One cable entry is stored, but the trailer takes none of them.
    const QString input = Write("fr.cft", LegacyTableImage(33, {55.25f, 175.26f, 0.0f}, {0.0f}, 1, 3, 0, 0));
    WriteAll(dir.File("fr.ccf"), Bytes{1, 2, 3}); // an older result, replaced without a question

    LoadFile(input);
    ExpectState(dialog, input, "---", false, true);
    Click(dialog, IDOK);
    ExpectState(dialog, input, "Convert OK, Save to File", true, false);
    EXPECT_TRUE(dialog.isVisible());
    // The next Load File opens in the folder of the table just converted.
    Click(dialog, IDC_BUTTON_LOAD_FILE); // cancelled
    ASSERT_EQ(services.fileRequests.size(), 2u);
    EXPECT_EQ(services.fileRequests[1].directory, QString::fromStdString(dir.Path()));
    EXPECT_EQ(services.fileRequests[1].fileName, "Vornalix");
    ExpectState(dialog, input, "Convert OK, Save to File", true, false);

    ChannelTable result(false);
    ASSERT_EQ(result.Load(dir.File("fr.ccf").c_str()), 1);
    EXPECT_EQ(result.Header().iCountryCode(), 33);
    ASSERT_EQ(result.GetList(ChannelModeAir)->iCount, 3);
    EXPECT_EQ(result.GetFrequency(ChannelModeAir, 2), static_cast<double>(175.26f));
    EXPECT_EQ(result.GetFrequency(ChannelModeAir, 2), 175.25999450683594);
    EXPECT_EQ(result.GetList(ChannelModeCable)->iCount, 0); // an empty old cable list leaves none
    EXPECT_EQ(ReadAll(dir.File("fr.ccf")).size(), 24u + 3u * 8u);
}

TEST_F(ConvertDlgTest, OutputKeepsEverythingUpToTheLastDot)
{
    const QString input = Write("a.b.cft", LegacyTableImage(1, {61.25f}, {67.25f}, 1, 1, 1, 1));
    LoadFile(input);
    EXPECT_EQ(dialog.OutputPath(), dir.File("a.b.ccf"));
    Click(dialog, IDOK);
    EXPECT_TRUE(FileExists(dir.File("a.b.ccf")));
    EXPECT_EQ(TextOf(dialog, IDC_STATIC_STATUS), "Convert OK, Save to File");
}

TEST_F(ConvertDlgTest, ZeroCountsAreRefusedAndNothingChanges)
{
    const QString good = Write("good.cft", LegacyTableImage(1, {61.25f}, {67.25f}, 1, 1, 1, 1));
    LoadFile(Write("noair.cft", LegacyTableImage(1, {}, {67.25f}, 0, 0, 1, 1)));
    ExpectState(dialog, "", "Convert Status", true, false);
    LoadFile(Write("nocable.cft", LegacyTableImage(1, {61.25f}, {}, 1, 1, 0, 0)));
    ExpectState(dialog, "", "Convert Status", true, false);

    LoadFile(good);
    Click(dialog, IDOK);
    LoadFile(Write("noair2.cft", LegacyTableImage(1, {}, {67.25f}, 0, 0, 1, 1)));
    ExpectState(dialog, good, "Convert OK, Save to File", true, false); // keeps the previous path
}

TEST_F(ConvertDlgTest, FileThatCannotBeReadSaysWhyAndChangesNothing)
{
    const QString missing = QString::fromStdString(dir.File("missing.cft"));
    LoadFile(missing);
    EXPECT_EQ(services.messages,
              std::vector<QString>{
                  QString("Cannot load \"%1\": %2").arg(missing, QString::fromLocal8Bit(std::strerror(ENOENT)))});
    ExpectState(dialog, "", "Convert Status", true, false);

    // After a conversion, a failed load keeps the result and where it went.
    const QString good = Write("good.cft", LegacyTableImage(1, {61.25f}, {67.25f}, 1, 1, 1, 1));
    LoadFile(good);
    Click(dialog, IDOK);
    services.messages.clear();
    LoadFile(QString::fromStdString(dir.Path())); // a folder
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(
        services.messages[0].startsWith(QString("Cannot load \"%1\": ").arg(QString::fromStdString(dir.Path()))));
    ExpectState(dialog, good, "Convert OK, Save to File", true, false);
    EXPECT_EQ(dialog.OutputPath(), dir.File("good.ccf"));

    // Files that are read but hold no channels are not errors.
    services.messages.clear();
    LoadFile(Write("noair.cft", LegacyTableImage(1, {}, {67.25f}, 0, 0, 1, 1)));
    EXPECT_TRUE(services.messages.empty());
}

// The output keeps the name up to its last dot: an old table named .ccf would
// be written over itself, and is not.
TEST_F(ConvertDlgTest, OldTableNamedLikeItsOutputIsNotReplaced)
{
    const Bytes old = LegacyTableImage(33, {55.25f}, {60.5f}, 1, 1, 1, 1);
    const QString input = Write("fr.ccf", old);
    LoadFile(input);
    EXPECT_EQ(dialog.OutputPath(), dir.File("fr.ccf"));
    Click(dialog, IDOK);
    EXPECT_EQ(ReadAll(dir.File("fr.ccf")), old);
    ExpectState(dialog, input, "Convert OK, Save Failed", false, true);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0], QString("Cannot save \"%1\": the converted table would replace the old table "
                                            "itself; an old table is named .cft")
                                        .arg(input));
}

TEST_F(ConvertDlgTest, EmptyAirListLoadsButDoesNotConvert)
{
    const QString input = Write("empty-air.cft", LegacyTableImage(1, {61.25f}, {67.25f}, 0, 0, 1, 1));
    LoadFile(input);
    ExpectState(dialog, input, "---", false, true);
    Click(dialog, IDOK);
    ExpectState(dialog, input, "---", false, true);
    EXPECT_FALSE(FileExists(dir.File("empty-air.ccf")));
}

// A save that cannot write says so, and the person can try again once the
// folder is put right.
TEST_F(ConvertDlgTest, FailedSaveIsReportedAndCanBeRetried)
{
    const QString input = Write("blocked.cft", LegacyTableImage(7, {49.75f}, {59.25f}, 1, 1, 1, 1));
    std::filesystem::create_directory(dir.File("blocked.ccf")); // a folder where the file should go
    LoadFile(input);
    Click(dialog, IDOK);
    ExpectState(dialog, input, "Convert OK, Save Failed", false, true);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"blocked.ccf", "blocked.cft"})); // no leftovers

    std::filesystem::remove(dir.File("blocked.ccf"));
    Click(dialog, IDOK);
    ExpectState(dialog, input, "Convert OK, Save to File", true, false);
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("blocked.ccf")));
}

TEST_F(ConvertDlgTest, ExitClosesAndFreesTheTables)
{
    LoadFile(Write("x.cft", LegacyTableImage(7, {49.75f}, {59.25f}, 1, 1, 1, 1)));
    Click(dialog, IDCANCEL);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dialog.IsDestroyed());
    EXPECT_EQ(dialog.Result(), IDCANCEL);
}

// A real channel plan written as an old table converts into a .ccf that the
// channel table editor loads with the same frequencies.
TEST(ConvertRealPlan, ConvertedPlanLoadsInTheEditor)
{
    FakeUserServices services;
    TempDir dir;
    std::vector<float> air;
    const std::vector<CsvRow> rows = ReadCsv(DataFile("channel-plans/europe-west.csv"));
    ASSERT_EQ(rows.at(0).at(1), "frequency_mhz");
    for (std::size_t i = 1; i < rows.size(); ++i)
        air.push_back(std::stof(rows[i].at(1)));
    ASSERT_GT(air.size(), 50u);
    const std::vector<float> cable(air.begin(), air.begin() + 10);
    WriteAll(dir.File("europe-west.cft"),
             LegacyTableImage(49, air, cable, 1, static_cast<std::uint16_t>(air.size()), 1, 10));

    CConvertDlg converter{services};
    converter.Create();
    services.fileAnswers.push_back(QString::fromStdString(dir.File("europe-west.cft")));
    Click(converter, IDC_BUTTON_LOAD_FILE);
    Click(converter, IDOK);
    ASSERT_EQ(TextOf(converter, IDC_STATIC_STATUS), "Convert OK, Save to File");

    CFrequencyTableDlg editor{services};
    editor.Create();
    services.fileAnswers.push_back(QString::fromStdString(dir.File("europe-west.ccf")));
    Click(editor, IDC_BUTTON_LOAD_FROM_FILE);
    ListView* list = editor.GetListView(IDC_LIST_CHANNELS);
    ASSERT_EQ(list->GetItemCount(), static_cast<int>(air.size()));
    for (std::size_t i = 0; i < air.size(); ++i)
        EXPECT_EQ(list->GetItemText(static_cast<int>(i), 1), QString::asprintf("%.5f", static_cast<double>(air[i])));
    EXPECT_EQ(TextOf(editor, IDC_STATIC_COUNTRY), "Germany");
}

TEST(ConvertFromEditor, ConverterButtonOpensTheConverter)
{
    FakeUserServices services;
    CFrequencyTableDlg editor{services};
    editor.Create();
    Click(editor, IDC_BUTTON_CONVERT);
    EXPECT_EQ(services.modalDialogs, std::vector<QString>{"Convert"});
}

// Enter works the button that has the focus and nothing else: the focus moves
// on to the button that leads on (Load File, then Convert Now, then Load File
// again), never to Exit, so Enter never ends the converter; only Exit, Escape
// and the close box do.
TEST_F(ConvertDlgTest, EnterNeverClosesTheConverter)
{
    for (QPushButton* pButton : dialog.findChildren<QPushButton*>()) {
        EXPECT_FALSE(pButton->isDefault()) << pButton->text().toStdString();
        EXPECT_FALSE(pButton->autoDefault()) << pButton->text().toStdString();
    }
    const QString input = Write("de.cft", LegacyTableImage(49, {48.25f, 55.25f}, {112.25f}, 1, 2, 1, 1));
    const auto pressEnter = [this] {
        QWidget* pFocus = dialog.focusWidget();
        QTest::keyClick(pFocus ? pFocus : static_cast<QWidget*>(&dialog), Qt::Key_Return);
    };

    dialog.GotoDlgCtrl(IDC_BUTTON_LOAD_FILE);
    services.fileAnswers.push_back(input);
    pressEnter(); // Load File
    ExpectState(dialog, input, "---", false, true);
    EXPECT_EQ(dialog.focusWidget(), dialog.GetDlgItem(IDOK));

    // Enter elsewhere than on a button converts nothing.
    dialog.focusWidget()->clearFocus();
    QTest::keyClick(&dialog, Qt::Key_Return);
    ExpectState(dialog, input, "---", false, true);
    dialog.GotoDlgCtrl(IDOK);

    pressEnter(); // Convert Now
    ExpectState(dialog, input, "Convert OK, Save to File", true, false);
    EXPECT_TRUE(FileExists(dir.File("de.ccf")));
    EXPECT_EQ(dialog.focusWidget(), dialog.GetDlgItem(IDC_BUTTON_LOAD_FILE));

    pressEnter(); // Load File again; its file dialog is cancelled
    pressEnter();
    EXPECT_EQ(services.fileRequests.size(), 3u);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.IsDestroyed());

    QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(dialog.IsDestroyed());
    EXPECT_EQ(dialog.Result(), IDCANCEL);
}
