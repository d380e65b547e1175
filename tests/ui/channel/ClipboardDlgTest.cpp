// Copy and Paste of channel rows in the channel editor, through its real
// widgets, its real keys and Qt's real clipboard (offscreen): the rows copied
// as tab-separated text and CSV, values pasted from a spreadsheet's or a CSV
// file's text as one step, refused whole with the line named, and the keys
// left to a focused field for its own text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

#include "res/Strings.h"
#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tables/text/PastedFrequencies.h"
#include "tables/text/TableJson.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/app/ClipboardService.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/channel/ChannelClipboard.h"
#include "ui/dialog/DialogMenuBar.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"

namespace {

using Values = std::vector<double>;

bool SameBits(const Values& a, const Values& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

QClipboard* Clipboard()
{
    return QGuiApplication::clipboard();
}

class ClipboardDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dlg.Create();
        // The window takes keys from the desktop: its shortcuts work.
        dlg.show();
        QApplication::setActiveWindow(&dlg);
        dlg.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
        Clipboard()->clear();
    }

    ListView* List() { return dlg.GetListView(IDC_LIST_CHANNELS); }

    void Load(const Values& air, const Values& cable = {})
    {
        WriteAll(path, ChannelTableImage(44, air, cable, 1, 1));
        services.fileAnswers.push_back(QString::fromStdString(path));
        Click(dlg, IDC_BUTTON_LOAD_FROM_FILE);
        ASSERT_EQ(dlg.Document().CurrentCount(), static_cast<std::int32_t>(air.size()));
    }

    // "Cable" chosen in the drop-down list by keyboard.
    void ShowCable()
    {
        auto* pMode = Control<QComboBox>(dlg, IDC_COMBO_MODE);
        pMode->setFocus();
        QTest::keyClick(pMode, Qt::Key_Down);
        ASSERT_EQ(dlg.Mode(), ChannelModeCable);
    }

    void Select(const std::vector<int>& rows)
    {
        List()->setFocus();
        List()->SetSelectedRows(rows);
    }

    // The desktop's keys, pressed in the list as a person would.
    void CopyKey() { QTest::keyClick(List(), Qt::Key_C, Qt::ControlModifier); }
    void PasteKey() { QTest::keyClick(List(), Qt::Key_V, Qt::ControlModifier); }

    void PasteText(const QString& text)
    {
        Clipboard()->setText(text);
        PasteKey();
    }

    QAction* MenuItem(int command)
    {
        for (QAction* pTitle : EditorFrame::Of(dlg)->MenuBar()->Bar()->actions())
            emit pTitle->menu()->aboutToShow();
        QAction* pAction = EditorFrame::Of(dlg)->MenuBar()->Action(command);
        EXPECT_NE(pAction, nullptr) << "no menu item " << command;
        return pAction;
    }

    Values Shown() const { return dlg.Document().CurrentFrequencies(); }
    std::vector<std::uint8_t> Image() const { return dlg.Table()->FileImage(); }

    TempDir dir;
    const std::string path = dir.File("t.ccf");
    FakeUserServices services;
    CFrequencyTableDlg dlg{services};
};

TEST_F(ClipboardDlgTest, CopyPutsTheSelectedRowsOnTheClipboardAsTabsAndAsCsv)
{
    Load({48.25, 0.0, 62.25, 175.25});
    Select({1, 3});
    CopyKey();
    const QMimeData* pData = Clipboard()->mimeData();
    ASSERT_NE(pData, nullptr);
    // An empty slot is written as the value it holds.
    EXPECT_EQ(pData->text(), "2\t0\n4\t175.25\n");
    EXPECT_EQ(pData->data("text/csv"), QByteArray("channel,frequency_mhz\n2,0\n4,175.25\n"));
    EXPECT_EQ(qobject_cast<EditorStatusLine*>(EditorFrame::Of(dlg)->StatusLine())->NoteText(), "2 channels copied");
    // Copying changes nothing of the table.
    EXPECT_EQ(dlg.Document().UndoName(), "LoadFromFile");
}

TEST_F(ClipboardDlgTest, RowsCopiedComeBackExactlyInTheOtherList)
{
    const Values air = {48.25, 0.0, 175.25999450683594, -1.0, 55.25};
    Load(air, {112.25});
    Select({0, 1, 2, 3, 4});
    CopyKey();
    ShowCable();
    PasteKey();
    // No current row in the freshly shown list: after its last channel.
    EXPECT_TRUE(SameBits(Shown(), {112.25, 48.25, 0.0, 175.25999450683594, -1.0, 55.25}));
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>({1, 2, 3, 4, 5}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MAX), "6");
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CABLE_MIN), "1");
    EXPECT_EQ(dlg.Document().UndoName(), "Paste");
    // The air list is as it was.
    EXPECT_TRUE(SameBits(ChannelFrequencies(dlg.Table()->Channels(ChannelModeAir)), air));
}

TEST_F(ClipboardDlgTest, PastesTheTextsOfSpreadsheetsFilesAndPeople)
{
    struct Case
    {
        const char* name;
        QString text;
        Values pasted;
    };
    const std::vector<Case> cases = {
        {"TSV with headings", "Channel\tFrequency (MHz)\r\n5\t175.25\r\n6\t182.25\r\n", {175.25, 182.25}},
        {"CSV, quoted", "\"channel\",\"frequency_mhz\"\n\"E2, Band I\",\"48.25\"\n\"E3\",\"55.25\"\n", {48.25, 55.25}},
        {"a value per line", "471.25\n479.25\n\n487.25", {471.25, 479.25, 487.25}},
        {"last number column", "21\t471.25\tBBC\n22\t479.25\tITV\n", {471.25, 479.25}},
        {"CR LF", "471.25\r\n479.25\r\n", {471.25, 479.25}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load({48.25});
        PasteText(c.text);
        Values expected = {48.25};
        expected.insert(expected.end(), c.pasted.begin(), c.pasted.end());
        EXPECT_EQ(Shown(), expected);
        EXPECT_TRUE(services.messages.empty());
    }
}

TEST_F(ClipboardDlgTest, ABadLineIsRefusedWithItsNumberAndTheTableStaysAsItWas)
{
    Load({48.25, 55.25});
    const std::vector<std::uint8_t> before = Image();
    PasteText("62.25\n175.25\n182.25\nabc\n189.25\n");
    EXPECT_EQ(services.messages, std::vector<QString>({"Line 4: \"abc\" is not a frequency."}));
    EXPECT_EQ(Image(), before);
    EXPECT_EQ(dlg.Document().UndoName(), "LoadFromFile");
    EXPECT_EQ(List()->GetItemCount(), 2);
    // A line of a table without its frequency is refused too.
    PasteText("Channel\tMHz\n1\t48.25\n2\t\n");
    EXPECT_EQ(services.messages.back(), "Line 3: no frequency in column 2.");
    EXPECT_EQ(Image(), before);
}

TEST_F(ClipboardDlgTest, UndoTakesAPasteBackWholeAndRedoBringsItAgain)
{
    Load({48.25, 55.25, 62.25}, {112.25});
    const std::vector<std::uint8_t> before = Image();
    List()->setFocus();
    List()->SetCurrentRow(1);
    PasteText("1\n2\n3\n");
    const std::vector<std::uint8_t> pasted = Image();
    EXPECT_EQ(Shown(), Values({48.25, 1, 2, 3, 55.25, 62.25}));
    ASSERT_NE(pasted, before);
    EXPECT_EQ(MenuItem(IDM_UNDO)->text(), "&Undo Paste");
    MenuItem(IDM_UNDO)->trigger();
    EXPECT_EQ(Image(), before);
    EXPECT_EQ(List()->GetItemCount(), 3);
    MenuItem(IDM_REDO)->trigger();
    EXPECT_EQ(Image(), pasted);
}

TEST_F(ClipboardDlgTest, PastesBeforeTheCurrentRowOrAfterTheLast)
{
    Load({48.25, 55.25, 62.25});
    ASSERT_FALSE(List()->currentIndex().isValid());
    PasteText("100\n");
    EXPECT_EQ(Shown(), Values({48.25, 55.25, 62.25, 100}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_CHANNEL_NUMBER), "4");
    List()->SetCurrentRow(0);
    PasteText("7\n8\n");
    EXPECT_EQ(Shown(), Values({7, 8, 48.25, 55.25, 62.25, 100}));
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>({0, 1}));
    EXPECT_EQ(TextOf(dlg, IDC_STATIC_AIR_MAX), "6");
}

// With a row selected, Edit > Paste at End still appends, as its own step.
TEST_F(ClipboardDlgTest, PasteAtEndAppendsWhateverRowIsCurrent)
{
    Load({48.25, 55.25, 62.25});
    List()->SetCurrentRow(2);
    Clipboard()->setText("7\n8\n");
    MenuItem(IDM_PASTE_AT_END)->trigger();
    EXPECT_EQ(Shown(), Values({48.25, 55.25, 62.25, 7, 8}));
    EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>({3, 4}));
    EXPECT_EQ(MenuItem(IDM_UNDO)->text(), "&Undo Paste at End");
    MenuItem(IDM_UNDO)->trigger();
    EXPECT_EQ(Shown(), Values({48.25, 55.25, 62.25}));
}

TEST_F(ClipboardDlgTest, APasteThatWouldPassTheLongestListIsRefused)
{
    Load(Values(ChannelTable::kMaxChannels - 1, 48.25));
    const std::vector<std::uint8_t> before = Image();
    PasteText("1\n2\n");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages[0].startsWith("The list holds 65534 channels; 2 more"))
        << services.messages[0].toStdString();
    EXPECT_EQ(Image(), before);
    // One more fits.
    PasteText("1\n");
    EXPECT_EQ(dlg.Document().CurrentCount(), ChannelTable::kMaxChannels);
}

TEST_F(ClipboardDlgTest, AnEmptyClipboardPastesNothing)
{
    Load({48.25});
    PasteKey();
    Clipboard()->setText(" \n\t\n");
    PasteKey();
    EXPECT_EQ(Shown(), Values({48.25}));
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(dlg.Document().UndoName(), "LoadFromFile");
}

TEST_F(ClipboardDlgTest, CopyNeedsSelectedRowsAndPasteATable)
{
    EXPECT_EQ(MenuItem(IDM_COPY_ROWS)->text(), "Cop&y");
    EXPECT_EQ(MenuItem(IDM_PASTE_ROWS)->text(), "Pas&te");
    EXPECT_FALSE(MenuItem(IDM_COPY_ROWS)->isEnabled());
    EXPECT_FALSE(MenuItem(IDM_PASTE_ROWS)->isEnabled());
    Load({48.25, 55.25});
    EXPECT_FALSE(MenuItem(IDM_COPY_ROWS)->isEnabled());
    EXPECT_TRUE(MenuItem(IDM_PASTE_ROWS)->isEnabled());
    Select({1});
    EXPECT_TRUE(MenuItem(IDM_COPY_ROWS)->isEnabled());
    MenuItem(IDM_COPY_ROWS)->trigger();
    EXPECT_EQ(Clipboard()->text(), "2\t55.25\n");
    // The items follow the desktop's keys, shown beside them, and stand
    // right after Undo and Redo.
    EXPECT_TRUE(MenuItem(IDM_COPY_ROWS)->shortcuts() == QKeySequence::keyBindings(QKeySequence::Copy));
    EXPECT_TRUE(MenuItem(IDM_PASTE_ROWS)->shortcuts() == QKeySequence::keyBindings(QKeySequence::Paste));
    auto* pEditMenu = qobject_cast<QMenu*>(MenuItem(IDM_UNDO)->parent());
    ASSERT_NE(pEditMenu, nullptr);
    const QList<QAction*> edit = pEditMenu->actions();
    ASSERT_GE(edit.size(), 6);
    EXPECT_EQ(edit[1], MenuItem(IDM_REDO));
    EXPECT_TRUE(edit[2]->isSeparator());
    EXPECT_EQ(edit[3], MenuItem(IDM_COPY_ROWS));
    EXPECT_EQ(edit[4], MenuItem(IDM_PASTE_ROWS));
}

TEST_F(ClipboardDlgTest, InAFieldTheKeysCopyAndPasteItsText)
{
    Load({48.25, 55.25});
    Select({0, 1});
    auto* pField = Control<QLineEdit>(dlg, IDC_EDIT_FREQUENCY);
    TypeInto(dlg, IDC_EDIT_FREQUENCY, "123.5");
    pField->selectAll();
    QTest::keyClick(pField, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard()->text(), "123.5");
    Clipboard()->setText("77.25");
    pField->clear();
    QTest::keyClick(pField, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(pField->text(), "77.25");
    EXPECT_EQ(Shown(), Values({48.25, 55.25}));
    EXPECT_EQ(dlg.Document().UndoName(), "LoadFromFile");
}

// Another clipboard in the desktop's place: Copy and Paste use the one the services give.
class RecordingClipboard : public ClipboardService
{
public:
    void PutRows(const QString& plainText, const QByteArray& csv) override
    {
        plain = plainText;
        csvRows = csv;
    }
    QString Text() const override { return plain; }
    bool Answers() const override { return bAnswers; }

    QString plain;
    QByteArray csvRows;
    bool bAnswers = true;
};

TEST_F(ClipboardDlgTest, CopyAndPasteGoThroughTheServicesClipboard)
{
    RecordingClipboard clipboard;
    services.pClipboard = &clipboard;
    Load({48.25, 55.25});
    Clipboard()->setText("999");
    Select({0});
    CopyKey();
    EXPECT_EQ(clipboard.plain, "1\t48.25\n");
    EXPECT_EQ(clipboard.csvRows, QByteArray("channel,frequency_mhz\n1,48.25\n"));
    EXPECT_EQ(Clipboard()->text(), "999");
    PasteKey();
    EXPECT_EQ(Shown(), Values({48.25, 48.25, 55.25}));
}

// The status line says which column a paste took; a text larger than any
// list's, one of more values than a list may hold, and a clipboard whose
// owner does not answer paste nothing and say so.
TEST_F(ClipboardDlgTest, APasteSaysWhichColumnItTookOrWhyItTookNothing)
{
    RecordingClipboard clipboard;
    services.pClipboard = &clipboard;
    EditorStatusLine* pLine = qobject_cast<EditorStatusLine*>(EditorFrame::Of(dlg)->StatusLine());
    ASSERT_NE(pLine, nullptr);
    Load({48.25});
    const auto paste = [&](const QString& text) {
        clipboard.plain = text;
        PasteKey();
    };
    paste("Channel;Frequency (MHz)\n5;175,25\n6;182,25\n");
    EXPECT_EQ(Shown(), Values({48.25, 175.25, 182.25}));
    EXPECT_EQ(pLine->NoteText(), "2 channels pasted from column 2 \"Frequency (MHz)\", decimal commas read");
    paste("189,25\n");
    EXPECT_EQ(pLine->NoteText(), "1 channel pasted from column 1, decimal commas read");
    EXPECT_EQ(Shown(), Values({48.25, 175.25, 182.25, 189.25}));

    const std::vector<std::uint8_t> before = Image();
    paste(QString(static_cast<qsizetype>(kMaxPastedTextBytes) + 1, QLatin1Char('1')));
    paste(QStringLiteral("1\n").repeated(70000));
    EXPECT_EQ(services.messages,
              std::vector<QString>({"The clipboard holds more than 16 MiB of text, more than any list's frequencies "
                                    "take. Nothing was pasted.",
                                    "The clipboard holds more than 65535 frequencies, more than a list may hold. "
                                    "Nothing was pasted."}));
    clipboard.bAnswers = false;
    paste("1\n");
    EXPECT_EQ(pLine->NoteText(), "The clipboard did not answer");
    EXPECT_EQ(Image(), before);
    EXPECT_EQ(services.messages.size(), 2u);
}

TEST_F(ClipboardDlgTest, WholeJobCopyAirRowsIntoTheCableListAndSave)
{
    Load({48.25, 55.25, 62.25, 175.25}, {112.25});
    Select({1, 2});
    CopyKey();
    ShowCable();
    PasteKey();
    PasteKey();
    EXPECT_EQ(Shown(), Values({112.25, 55.25, 62.25, 55.25, 62.25}));
    MenuItem(IDM_UNDO)->trigger();
    EXPECT_EQ(Shown(), Values({112.25, 55.25, 62.25}));
    MenuItem(IDM_SAVE)->trigger();
    ChannelTable saved(false);
    ASSERT_TRUE(saved.Load(path.c_str()));
    EXPECT_EQ(ChannelFrequencies(saved.Channels(ChannelModeAir)), Values({48.25, 55.25, 62.25, 175.25}));
    EXPECT_EQ(ChannelFrequencies(saved.Channels(ChannelModeCable)), Values({112.25, 55.25, 62.25}));
    EXPECT_EQ(saved.Header().iCountryCode(), 44);
    EXPECT_FALSE(dlg.Document().Modified());
}

} // namespace

namespace {

// A clipboard that holds what it is given and answers, or is silent.
class HeldClipboard : public ClipboardService
{
public:
    void PutRows(const QString& plainText, const QByteArray&) override { text = plainText; }
    QString Text() const override { return text; }
    bool Answers() const override { return bAnswers; }
    QString text;
    bool bAnswers = true;
};

} // namespace

// Copy and Paste as a part over a document, without the editor: the rows go
// before the current row or after the last, a silent owner is noted and
// nothing pasted, and a paste past the longest list is refused whole.
TEST(ChannelClipboardPart, PastesWhereAskedAndRefusesWhatItCannotTake)
{
    ChannelTableDocument document;
    ASSERT_TRUE(document.CreateNew());
    ASSERT_TRUE(document.ReplaceList(ChannelModeAir, {48.25, 55.25, 62.25}));
    HeldClipboard clipboard;
    FakeUserServices services;
    services.pClipboard = &clipboard;
    QWidget owner;
    std::int32_t iCurrent = 2;
    std::vector<std::vector<std::int32_t>> shown;
    std::vector<QString> notes;
    ChannelListAccess list;
    list.selected = [] { return std::vector<std::int32_t>{1, 3}; };
    list.current = [&iCurrent] { return iCurrent; };
    list.showSelected = [&shown](const std::vector<std::int32_t>& channels) { shown.push_back(channels); };
    list.note = [&notes](const QString& note) { notes.push_back(note); };
    ChannelClipboard rows(document, services, owner, list);

    rows.Copy();
    EXPECT_EQ(clipboard.text, "1\t48.25\n3\t62.25\n");
    clipboard.text = QStringLiteral("175.25\n182.25\n");
    rows.Paste(false);
    EXPECT_EQ(document.CurrentFrequencies(), (std::vector<double>{48.25, 175.25, 182.25, 55.25, 62.25}));
    EXPECT_EQ(shown.back(), (std::vector<std::int32_t>{2, 3}));
    iCurrent = 0; // no current row: after the last
    rows.Paste(false);
    EXPECT_EQ(shown.back(), (std::vector<std::int32_t>{6, 7}));
    iCurrent = 1;
    rows.Paste(true);
    EXPECT_EQ(shown.back(), (std::vector<std::int32_t>{8, 9}));
    EXPECT_EQ(document.UndoName(), ChannelTableDocument::kPasteAtEndStepName);

    const std::size_t steps = document.UndoCount();
    clipboard.bAnswers = false;
    rows.Paste(false);
    EXPECT_EQ(notes.back(), QString::fromLatin1(kClipboardSilentNote));
    clipboard.bAnswers = true;
    QString many;
    for (int i = 0; i < ChannelTable::kMaxChannels; ++i)
        many += QStringLiteral("100\n");
    clipboard.text = many;
    rows.Paste(true);
    ASSERT_FALSE(services.messages.empty());
    EXPECT_TRUE(services.messages.back().startsWith(QStringLiteral("The list holds 9 channels")))
        << services.messages.back().toStdString();
    EXPECT_EQ(document.UndoCount(), steps);
    EXPECT_EQ(document.CurrentCount(), 9);
}
