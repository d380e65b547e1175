// Table files dropped from a file manager on the launcher and on the editors:
// real drag and drop events (text/uri-list with file:// URLs) sent to the real
// windows, each file then opening the way a later start's files open.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>
#include <tuple>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "edit/RecoveryStore.h"
#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/app/CConvertDlg.h"
#include "ui/app/CLauncherDlg.h"
#include "ui/app/FileKind.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/dialog/FileDrop.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

constexpr Qt::DropActions kFileManagerActions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

QString WriteChannelTable(const TempDir& dir, const std::string& name, const std::vector<double>& frequencies,
                          int countryCode)
{
    ChannelTable table(true);
    for (double f : frequencies) {
        auto* node = new ChannelNode;
        node->dbFrequency = f;
        table.AppendChannel(ChannelModeAir, node);
    }
    table.SetCountryCode(countryCode);
    const std::string path = dir.File(name);
    EXPECT_EQ(table.Save(path.c_str()), 1);
    return QString::fromStdString(path);
}

// One tuner entry, factory 03 and type 12.
QString WriteTunerTable(const TempDir& dir, const std::string& name)
{
    Bytes tsf;
    PutBytes(tsf, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'});
    PutI32(tsf, 1);
    PutI32(tsf, 0x03);
    PutI32(tsf, 0x12);
    tsf.resize(12 + 64, 0);
    PutBytes(tsf, {0x00, 0x00, 0xFF, 0xFF});
    WriteAll(dir.File(name), tsf);
    return QString::fromStdString(dir.File(name));
}

// An old table with one air and one cable entry.
QString WriteOldTable(const TempDir& dir, const std::string& name)
{
    Bytes cft(32, 0);
    cft[24] = 1;
    cft[26] = 1;
    cft.resize(32 + 16, 0);
    cft.insert(cft.end(), {1, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    WriteAll(dir.File(name), cft);
    return QString::fromStdString(dir.File(name));
}

// What a file manager offers when files are dragged out of it.
std::unique_ptr<QMimeData> Dragged(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << (path.contains(QStringLiteral("://")) ? QUrl(path) : QUrl::fromLocalFile(path));
    auto pData = std::make_unique<QMimeData>();
    pData->setUrls(urls);
    return pData;
}

// Whether the target shows the drag entering it may be dropped, as a copy.
bool TakesDrag(QWidget* pTarget, const QStringList& paths)
{
    const std::unique_ptr<QMimeData> pData = Dragged(paths);
    QDragEnterEvent enter(QPoint(5, 5), kFileManagerActions, pData.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pTarget, &enter);
    if (!enter.isAccepted() || enter.dropAction() != Qt::CopyAction)
        return false;
    QDragMoveEvent move(QPoint(6, 6), kFileManagerActions, pData.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pTarget, &move);
    return move.isAccepted() && move.dropAction() == Qt::CopyAction;
}

// A whole drag and drop on the target: entering, moving, dropping, with
// whatever happens to the files meanwhile. Whether the drop was taken.
bool DropOn(QWidget* pTarget, const QStringList& paths, const std::function<void()>& meanwhile = {})
{
    const std::unique_ptr<QMimeData> pData = Dragged(paths);
    TakesDrag(pTarget, paths);
    if (meanwhile)
        meanwhile();
    QDropEvent drop(QPointF(6, 6), kFileManagerActions, pData.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pTarget, &drop);
    return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

QStringList Rows(const CDialog& dialog, int listId)
{
    QStringList rows;
    for (const QString& row : ListRowTexts(dialog, listId))
        rows << row;
    return rows;
}

// Opens every dialog run from a drop, notes what it shows, and closes it.
struct OpenedDialogs
{
    explicit OpenedDialogs(FakeUserServices& services)
    {
        services.onRunModal = [this](CDialog& dialog) {
            dialog.Create();
            if (dialog.Template().id == IDD_TUNER_EDIT)
                shown << Rows(dialog, IDC_LIST_TUNERS).join(QLatin1Char(';'));
            else if (dialog.Template().id == IDD_FREQUENCY_TABLE)
                shown << Rows(dialog, IDC_LIST_CHANNELS).join(QLatin1Char(';'));
            else
                shown << dialog.GetDlgItemText(IDC_STATIC_STATUS);
            dialog.EndDialog(IDCANCEL);
            return IDCANCEL;
        };
    }
    QStringList shown;
};

const QStringList kJapanRows{"001|55.25000", "002|62.25000", "003|--"};
const QStringList kGermanRows{"001|48.25000", "002|55.25000"};

// Everything a window could be handed that is not a table to open.
struct NotTables
{
    explicit NotTables(const TempDir& dir)
    {
        WriteAll(dir.File("notes.txt"), Bytes{'h', 'e', 'l', 'l', 'o', '!', '!', '!'});
        text = QString::fromStdString(dir.File("notes.txt"));
        folder = QString::fromStdString(dir.File("folder.ccf"));
        EXPECT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0700), 0);
        fifo = QString::fromStdString(dir.File("pipe.ccf"));
        EXPECT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        missing = QString::fromStdString(dir.File("gone.ccf"));
    }
    QStringList All() const { return {text, folder, fifo, missing, web, otherComputer}; }

    QString text, folder, fifo, missing;
    QString web = QStringLiteral("https://example.org/de.ccf");
    QString otherComputer = QStringLiteral("file://elsewhere.example/srv/de.ccf");
};

// Watches a FIFO while a test runs: whoever opens it for reading and blocks
// there is released (the test then fails instead of hanging), and noted.
class FifoWatch
{
public:
    explicit FifoWatch(const QString& fifo) : m_path(QFile::encodeName(fifo).toStdString())
    {
        m_thread = std::thread([this] {
            while (!m_bDone) {
                // Opening for writing without waiting succeeds only while a reader has it open.
                const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    m_bOpenedForReading = true;
                    ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    }
    ~FifoWatch()
    {
        m_bDone = true;
        m_thread.join();
    }
    bool OpenedForReading() const { return m_bOpenedForReading; }

private:
    std::string m_path;
    std::atomic<bool> m_bDone{false};
    std::atomic<bool> m_bOpenedForReading{false};
    std::thread m_thread;
};

} // namespace

// A dragged file's kind is told by its name alone, the file untouched; the
// command line's rule looks into a file without a table's name.
TEST(FileKind, ByNameAloneForDraggedFiles)
{
    TempDir dir;
    WriteAll(dir.File("plan"), Bytes{0x00, 0xCB, 0x00, 0x00, 'C', 'H', 'F', 'Q'});
    const QString unnamed = QString::fromStdString(dir.File("plan"));
    EXPECT_EQ(KindOfFile(unnamed), FileKind::ChannelTable);
    EXPECT_EQ(KindOfFileByName(unnamed), FileKind::Unknown);
    EXPECT_EQ(KindOfFileByName("/x/PLAN.CCF"), FileKind::ChannelTable);
    EXPECT_EQ(KindOfFileByName("/x/tuners.Tsf"), FileKind::TunerTable);
    EXPECT_EQ(KindOfFileByName("/x/old.cft"), FileKind::LegacyTable);
    EXPECT_EQ(KindOfFileByName("/x/old.cft.txt"), FileKind::Unknown);
}

// Each window shows acceptance only for files it will open: tables by their
// names, as a copy; never for other files, folders, FIFOs, missing files or
// URLs of no file here, and a drag holding one table among them is taken.
TEST(FileDrop, WindowsTakeOnlyTableFilesTheyWillOpen)
{
    TempDir dir;
    const QString japan = WriteChannelTable(dir, "japan.ccf", {55.25, 62.25, 0.0}, 81);
    const QString tuners = WriteTunerTable(dir, "tuners.TSF");
    const QString old = WriteOldTable(dir, "old.cft");
    const NotTables others(dir);
    // A channel table under a name without its extension.
    ASSERT_TRUE(QFile::copy(japan, QString::fromStdString(dir.File("japan"))));
    const QString unnamed = QString::fromStdString(dir.File("japan"));
    FakeUserServices services;
    CLauncherDlg launcher{services};
    launcher.Create();
    CFrequencyTableDlg channels{services};
    channels.Create();
    CTunerEditDlg tunerEditor{services};
    tunerEditor.Create();
    for (CDialog* pWindow : std::initializer_list<CDialog*>{&launcher, &channels, &tunerEditor}) {
        const QString name = pWindow->windowTitle();
        for (const QString& table : {japan, tuners, old})
            EXPECT_TRUE(TakesDrag(pWindow, {table})) << name.toStdString() << ": " << table.toStdString();
        for (const QString& other : others.All())
            EXPECT_FALSE(TakesDrag(pWindow, {other})) << name.toStdString() << ": " << other.toStdString();
        EXPECT_FALSE(TakesDrag(pWindow, others.All()));
        EXPECT_FALSE(TakesDrag(pWindow, {unnamed})) << "a table is told by its name alone";
        EXPECT_TRUE(TakesDrag(pWindow, QStringList(others.All()) << japan));
        EXPECT_TRUE(TakesDrag(pWindow, {"file://localhost" + japan}));
    }
    // Over a text field the window's rule holds, not the field's taking of text.
    EXPECT_TRUE(TakesDrag(channels.GetDlgItem(IDC_EDIT_FREQUENCY), {japan}));
    EXPECT_FALSE(TakesDrag(channels.GetDlgItem(IDC_EDIT_FREQUENCY), {others.text}));
    // A file manager that offers only to move the file is refused: opening never moves it.
    const std::unique_ptr<QMimeData> pData = Dragged({japan});
    QDragEnterEvent moveOnly(QPoint(5, 5), Qt::MoveAction, pData.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&channels, &moveOnly);
    EXPECT_FALSE(moveOnly.isAccepted());
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(services.modalDialogs.empty());
}

// A channel table dropped on the channel editor with unsaved work replaces
// it as the load command does: one step, undone byte for byte, and the work
// it replaced kept as a recovery copy. A drop on a text field opens the file
// and leaves no text behind.
TEST(FileDrop, ChannelTableDroppedOnTheChannelEditorLoadsAsOneStep)
{
    TempDir dir;
    const QString german = WriteChannelTable(dir, "de.ccf", {48.25, 55.25}, 49);
    FakeUserServices services;
    CLauncherDlg launcher{services};
    launcher.Create();
    CFrequencyTableDlg editor{services};
    editor.Create();
    Click(editor, IDC_BUTTON_CREATE_NEW);
    for (const char* frequency : {"175.25", "0", "182.25"}) {
        TypeInto(editor, IDC_EDIT_FREQUENCY, frequency);
        Click(editor, IDC_BUTTON_ADD);
    }
    const Bytes unsaved = editor.Table()->FileImage();
    const QStringList unsavedRows = Rows(editor, IDC_LIST_CHANNELS);

    EXPECT_TRUE(DropOn(editor.GetDlgItem(IDC_EDIT_FREQUENCY), {german}));
    ASSERT_TRUE(WaitFor([&] { return Rows(editor, IDC_LIST_CHANNELS) == kGermanRows; }));
    EXPECT_EQ(TextOf(editor, IDC_STATIC_COUNTRY), "Germany");
    EXPECT_EQ(TextOf(editor, IDC_EDIT_FREQUENCY), "");
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("de.ccf \u2013 Vornalix"));
    // The unsaved table was written as a recovery copy when it was replaced.
    const std::vector<RecoveryCopy> copies = ListRecoveryCopies("ccf");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(ReadAll(copies[0].path), unsaved);

    editor.OnCommand(IDM_UNDO);
    EXPECT_EQ(Rows(editor, IDC_LIST_CHANNELS), unsavedRows);
    EXPECT_EQ(editor.Table()->FileImage(), unsaved);
    EXPECT_TRUE(services.modalDialogs.empty()); // loaded in place, no other editor
    EXPECT_TRUE(services.messages.empty());
    editor.EndDialog(IDCANCEL);
}

// Dragged files whose URLs come through only on some reads, as under X,
// where the dragging program answers a read only for the position it sent
// last: reads numbered in `answered` (from 1) give the URLs, the others nothing.
class DragDataReadAtTimes : public QMimeData
{
public:
    DragDataReadAtTimes(const QString& path, std::set<int> answered)
        : m_urls{QUrl::fromLocalFile(path).toEncoded() + "\r\n"}, m_answered(std::move(answered))
    {
    }
    QStringList formats() const override { return {QStringLiteral("text/uri-list")}; }
    bool hasFormat(const QString& type) const override { return formats().contains(type); }

protected:
    QVariant retrieveData(const QString&, QMetaType) const override
    {
        return m_answered.count(++m_reads) ? QVariant(m_urls) : QVariant();
    }

private:
    QByteArray m_urls;
    std::set<int> m_answered;
    mutable int m_reads = 0;
};

// A read that comes back empty neither refuses the drag nor loses its drop:
// the URLs of one drag, once read, stand for all of it.
TEST(FileDrop, AReadOfTheDragThatComesBackEmptyLosesNoDrop)
{
    TempDir dir;
    const QString german = WriteChannelTable(dir, "de.ccf", {48.25, 55.25}, 49);
    const QString notes = QString::fromStdString(dir.File("notes.txt"));
    WriteAll(notes.toStdString(), {'x'});
    FakeUserServices services;
    CLauncherDlg launcher{services};
    launcher.Create();
    CFrequencyTableDlg editor{services};
    editor.Create();
    const auto drag = [&](const QString& path, std::set<int> answered) {
        DragDataReadAtTimes data(path, std::move(answered));
        QDragEnterEvent enter(QPoint(5, 5), kFileManagerActions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&editor, &enter);
        QDragMoveEvent move(QPoint(6, 6), kFileManagerActions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&editor, &move);
        QDropEvent drop(QPointF(6, 6), kFileManagerActions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&editor, &drop);
        return std::make_tuple(enter.isAccepted(), move.isAccepted(), drop.isAccepted());
    };
    // Read at the entering only; the drop's read comes back empty.
    EXPECT_EQ(drag(german, {1}), std::make_tuple(true, true, true));
    ASSERT_TRUE(WaitFor([&] { return Rows(editor, IDC_LIST_CHANNELS) == kGermanRows; }));
    Click(editor, IDC_BUTTON_CREATE_NEW);
    // Read at the first move only: the entering is taken until then.
    EXPECT_EQ(drag(german, {2}), std::make_tuple(true, true, true));
    ASSERT_TRUE(WaitFor([&] { return Rows(editor, IDC_LIST_CHANNELS) == kGermanRows; }));
    // A drag read late that holds no table is refused at that read.
    EXPECT_EQ(drag(notes, {2}), std::make_tuple(true, false, false));
    ASSERT_TRUE(WaitFor([&] { return services.messages.size() == 1; }));
    EXPECT_TRUE(services.messages.back().startsWith("Cannot open \"" + notes + "\": not a channel table"));
    // Never read: nothing is taken and nothing is said.
    Click(editor, IDC_BUTTON_CREATE_NEW);
    EXPECT_EQ(drag(german, {}), std::make_tuple(true, false, false));
    QApplication::processEvents();
    EXPECT_TRUE(Rows(editor, IDC_LIST_CHANNELS).isEmpty());
    EXPECT_EQ(services.messages.size(), 1u);
    editor.EndDialog(IDCANCEL);
}

// A file of another kind opens where the launcher would open it: a tuner table
// dropped on the channel editor, and a channel table on the tuner editor, in a
// new editor of their kind; an old table in the converter; a table dropped on
// the launcher in its editor.
TEST(FileDrop, FilesOfAnotherKindOpenAsTheLauncherOpensThem)
{
    TempDir dir;
    const QString japan = WriteChannelTable(dir, "japan.ccf", {55.25, 62.25, 0.0}, 81);
    const QString tuners = WriteTunerTable(dir, "tuners.tsf");
    const QString old = WriteOldTable(dir, "old.cft");
    FakeUserServices services;
    OpenedDialogs opened(services);
    CLauncherDlg launcher{services};
    launcher.Create();

    EXPECT_TRUE(DropOn(&launcher, {japan}));
    ASSERT_TRUE(WaitFor([&] { return opened.shown.size() == 1; }));
    EXPECT_EQ(services.modalDialogs, std::vector<QString>{"Vornalix"});
    EXPECT_EQ(opened.shown.back(), kJapanRows.join(QLatin1Char(';')));

    {
        CFrequencyTableDlg channels{services};
        channels.Create();
        EXPECT_TRUE(DropOn(&channels, {tuners}));
        ASSERT_TRUE(WaitFor([&] { return opened.shown.size() == 2; }));
        EXPECT_EQ(services.modalDialogs.back(), "Tuner Specification Edit");
        EXPECT_TRUE(opened.shown.back().startsWith("000|03|12")) << opened.shown.back().toStdString();
        EXPECT_TRUE(Rows(channels, IDC_LIST_CHANNELS).isEmpty()); // its own table untouched

        EXPECT_TRUE(DropOn(&channels, {old}));
        ASSERT_TRUE(WaitFor([&] { return opened.shown.size() == 3; }));
        EXPECT_EQ(services.modalDialogs.back(), "Convert");
        EXPECT_EQ(opened.shown.back(), "---"); // loaded, waiting for "Convert Now"
        channels.EndDialog(IDCANCEL);
    }

    CTunerEditDlg tunerEditor{services};
    tunerEditor.Create();
    EXPECT_TRUE(DropOn(&tunerEditor, {japan}));
    ASSERT_TRUE(WaitFor([&] { return opened.shown.size() == 4; }));
    EXPECT_EQ(services.modalDialogs.back(), "Vornalix");
    EXPECT_EQ(opened.shown.back(), kJapanRows.join(QLatin1Char(';')));
    // A tuner table dropped on the tuner editor loads into it.
    EXPECT_TRUE(DropOn(&tunerEditor, {tuners}));
    ASSERT_TRUE(WaitFor([&] { return Rows(tunerEditor, IDC_LIST_TUNERS).size() == 1; }));
    EXPECT_TRUE(Rows(tunerEditor, IDC_LIST_TUNERS).front().startsWith("000|03|12"));
    EXPECT_EQ(services.modalDialogs.size(), 4u);
    EXPECT_TRUE(services.messages.empty());
    tunerEditor.EndDialog(IDCANCEL);
}

// Several files at once go one after the other, as a later start's files do;
// the files refused among them, or found refused only at the drop, are named
// in one message. A FIFO is never opened for reading.
TEST(FileDrop, SeveralFilesOpenInTurnAndTheRefusedAreNamed)
{
    TempDir dir;
    const QString japan = WriteChannelTable(dir, "japan.ccf", {55.25, 62.25, 0.0}, 81);
    const QString german = WriteChannelTable(dir, "de.ccf", {48.25, 55.25}, 49);
    const QString tuners = WriteTunerTable(dir, "tuners.tsf");
    const NotTables others(dir);
    const FifoWatch watch(others.fifo);
    FakeUserServices services;
    OpenedDialogs opened(services);
    CLauncherDlg launcher{services};
    launcher.Create();
    CFrequencyTableDlg editor{services};
    editor.Create();

    // A drag the editor refused says nothing more.
    EXPECT_FALSE(TakesDrag(&editor, others.All()));
    QTest::qWait(50);
    EXPECT_TRUE(services.messages.empty());

    EXPECT_TRUE(DropOn(&editor, QStringList{japan} << others.All() << tuners << "file://localhost" + german));
    ASSERT_TRUE(WaitFor([&] { return Rows(editor, IDC_LIST_CHANNELS) == kGermanRows; }));
    EXPECT_EQ(services.modalDialogs, std::vector<QString>{"Tuner Specification Edit"});
    ASSERT_EQ(opened.shown.size(), 1);
    EXPECT_TRUE(opened.shown.front().startsWith("000|03|12")) << opened.shown.front().toStdString();
    ASSERT_EQ(services.messages.size(), 1u);
    const QString refused = services.messages.back();
    for (const QString& other : others.All())
        EXPECT_TRUE(refused.contains(other)) << refused.toStdString() << " does not name " << other.toStdString();
    EXPECT_TRUE(refused.contains("\"" + others.folder + "\": it is a folder.")) << refused.toStdString();
    EXPECT_TRUE(refused.contains("\"" + others.fifo + "\": not a regular file.")) << refused.toStdString();
    EXPECT_FALSE(refused.contains(japan));
    // Both channel tables loaded, one step each.
    editor.OnCommand(IDM_UNDO);
    EXPECT_EQ(Rows(editor, IDC_LIST_CHANNELS), kJapanRows);

    // A table that became a FIFO between the drag's entering and the drop.
    const QString late = WriteChannelTable(dir, "late.ccf", {48.25}, 49);
    EXPECT_FALSE(DropOn(&editor, {late}, [&] {
        ASSERT_TRUE(QFile::remove(late));
        ASSERT_EQ(::mkfifo(QFile::encodeName(late).constData(), 0600), 0);
    }));
    ASSERT_TRUE(WaitFor([&] { return services.messages.size() == 2; }));
    EXPECT_EQ(services.messages.back(), "Cannot open \"" + late + "\": not a regular file.");
    EXPECT_EQ(Rows(editor, IDC_LIST_CHANNELS), kJapanRows);
    EXPECT_EQ(services.modalDialogs.size(), 1u);

    // A whole folder dropped: the message names the first files and counts the rest.
    QStringList gone;
    for (int i = 0; i < FileDropTarget::kMaxRefusalsNamed + 2; ++i)
        gone << QString::fromStdString(dir.File("gone-" + std::to_string(i) + ".ccf"));
    EXPECT_TRUE(DropOn(&editor, QStringList(gone) << german));
    ASSERT_TRUE(WaitFor([&] { return services.messages.size() == 3; }));
    const QStringList lines = services.messages.back().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), FileDropTarget::kMaxRefusalsNamed + 1);
    EXPECT_EQ(lines.front(), "Cannot open \"" + gone.front() + "\": no such file.");
    EXPECT_EQ(lines.back(), "2 more files cannot be opened either.");
    EXPECT_TRUE(WaitFor([&] { return Rows(editor, IDC_LIST_CHANNELS) == kGermanRows; }));
    EXPECT_FALSE(watch.OpenedForReading());

    // A loop of links is no missing file, and a name that is not UTF-8 is
    // refused, not taken for the look-alike beside it.
    const QString loop = QString::fromStdString(dir.File("loop.ccf"));
    std::filesystem::create_symlink("loop.ccf", dir.File("loop.ccf"));
    WriteChannelTable(dir, "bad\xef\xbf\xbd.ccf", {48.25}, 49);
    EXPECT_TRUE(DropOn(&editor, {loop, "file://" + QString::fromStdString(dir.Path()) + "/bad%FF.ccf", japan}));
    ASSERT_TRUE(WaitFor([&] { return services.messages.size() == 4; }));
    EXPECT_EQ(services.messages.back(), "Cannot open \"" + loop +
                                            "\": too many levels of symbolic links.\nCannot open \"" +
                                            QString::fromStdString(dir.Path()) +
                                            "/bad\\xff.ccf\": its name is not valid UTF-8, so it would be taken for "
                                            "another file.");
    EXPECT_TRUE(WaitFor([&] { return Rows(editor, IDC_LIST_CHANNELS) == kJapanRows; }));
    editor.EndDialog(IDCANCEL);
}

// Without the launcher, which routes every file, a window takes nothing.
TEST(FileDrop, NothingIsTakenWithoutTheLauncher)
{
    TempDir dir;
    const QString japan = WriteChannelTable(dir, "japan.ccf", {55.25, 62.25, 0.0}, 81);
    FakeUserServices services;
    CFrequencyTableDlg editor{services};
    editor.Create();
    EXPECT_FALSE(TakesDrag(&editor, {japan}));
    EXPECT_FALSE(DropOn(&editor, {japan}));
    QTest::qWait(50);
    EXPECT_TRUE(Rows(editor, IDC_LIST_CHANNELS).isEmpty());
    editor.EndDialog(IDCANCEL);
}

// The whole job: a table edited, another file dropped on the editor, the drop
// undone, and the table saved: the file holds the edited table.
TEST(FileDrop, EditDropUndoAndSaveWritesTheEditedTable)
{
    TempDir dir;
    const QString german = WriteChannelTable(dir, "de.ccf", {48.25, 55.25}, 49);
    const QString own = WriteChannelTable(dir, "own.ccf", {55.25, 62.25}, 81);
    FakeUserServices services;
    CLauncherDlg launcher{services};
    launcher.Create();
    CFrequencyTableDlg editor{services};
    editor.Create();
    services.fileAnswers.push_back(own);
    Click(editor, IDC_BUTTON_LOAD_FROM_FILE);
    TypeInto(editor, IDC_EDIT_FREQUENCY, "175.25");
    Click(editor, IDC_BUTTON_ADD);
    TypeInto(editor, IDC_EDIT_COUNTRY_CODE, "44");
    Click(editor, IDC_BUTTON_ENTER);

    EXPECT_TRUE(DropOn(&editor, {german}));
    ASSERT_TRUE(WaitFor([&] { return Rows(editor, IDC_LIST_CHANNELS) == kGermanRows; }));
    editor.OnCommand(IDM_UNDO);
    const std::string saved = dir.File("saved.ccf");
    services.fileAnswers.push_back(QString::fromStdString(saved));
    Click(editor, IDC_BUTTON_SAVE_TO_FILE);

    ChannelTable expected(true);
    for (double f : {55.25, 62.25, 175.25}) {
        auto* node = new ChannelNode;
        node->dbFrequency = f;
        expected.AppendChannel(ChannelModeAir, node);
    }
    expected.SetCountryCode(44);
    EXPECT_EQ(ReadAll(saved), expected.FileImage());
    // The dropped file is as it was.
    ChannelTable dropped(true);
    ASSERT_EQ(dropped.Load(QFile::encodeName(german).constData()), 1);
    EXPECT_EQ(dropped.Header().iCountryCode(), 49);
    EXPECT_TRUE(services.messages.empty());
    editor.EndDialog(IDCANCEL);
}
