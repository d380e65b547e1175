#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <cstring>
#include <filesystem>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "res/Strings.h"
#include "res/resource.h"
#include "tables/format/ChannelTable.h"
#include "tests/TestFiles.h"
#include "tests/ui/FakeUserServices.h"
#include "tests/ui/GuiTestSupport.h"
#include "ui/app/ActivationChannel.h"
#include "ui/app/CConvertDlg.h"
#include "ui/app/CEditorApp.h"
#include "ui/app/CLauncherDlg.h"
#include "ui/app/FileKind.h"
#include "ui/app/RecentFiles.h"
#include "ui/channel/CFrequencyTableDlg.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"
#include "ui/tuner/CTunerEditDlg.h"

namespace {

std::string WriteChannelTable(const TempDir& dir, const std::string& name,
                              const std::vector<double>& frequencies = {55.25, 62.25, 0.0}, int countryCode = 81)
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
    return path;
}

} // namespace

TEST(FileKind, ExtensionInAnyCaseThenMagic)
{
    TempDir dir;
    EXPECT_EQ(KindOfFile("/x/plan.ccf"), FileKind::ChannelTable);
    EXPECT_EQ(KindOfFile("/x/PLAN.CCF"), FileKind::ChannelTable);
    EXPECT_EQ(KindOfFile("/x/tuners.Tsf"), FileKind::TunerTable);
    EXPECT_EQ(KindOfFile("/x/old.cft"), FileKind::LegacyTable);
    EXPECT_EQ(KindOfFile(QString::fromStdString(dir.File("missing"))), FileKind::Unknown);

    Bytes chfq{0x00, 0xCB, 0x00, 0x00, 'C', 'H', 'F', 'Q'};
    WriteAll(dir.File("plan.bin"), chfq);
    EXPECT_EQ(KindOfFile(QString::fromStdString(dir.File("plan.bin"))), FileKind::ChannelTable);
    Bytes tnsp{0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'};
    WriteAll(dir.File("tuners"), tnsp);
    EXPECT_EQ(KindOfFile(QString::fromStdString(dir.File("tuners"))), FileKind::TunerTable);
    WriteAll(dir.File("short"), Bytes{'C', 'H'});
    EXPECT_EQ(KindOfFile(QString::fromStdString(dir.File("short"))), FileKind::Unknown);
}

TEST(StartupFile, ChannelTableOpensInTheEditorOnTopOfTheLauncher)
{
    FakeUserServices services;
    TempDir dir;
    const QString path = QString::fromStdString(WriteChannelTable(dir, "japan.ccf"));
    QStringList rows;
    QString country;
    services.onRunModal = [&](CDialog& dialog) {
        dialog.Create();
        ListView* list = dialog.GetListView(IDC_LIST_CHANNELS);
        for (int i = 0; list && i < list->GetItemCount(); ++i)
            rows << list->GetItemText(i, 0) + "|" + list->GetItemText(i, 1);
        country = dialog.GetDlgItemText(IDC_STATIC_COUNTRY);
        dialog.EndDialog(IDCANCEL);
        return IDCANCEL;
    };
    CLauncherDlg launcher{services};
    launcher.SetStartupFile(path);
    launcher.Create();
    EXPECT_TRUE(services.modalDialogs.empty()); // the launcher shows first
    QCoreApplication::processEvents();
    EXPECT_EQ(services.modalDialogs, std::vector<QString>{"Vornalix"});
    EXPECT_EQ(rows, (QStringList{"001|55.25000", "002|62.25000", "003|--"}));
    EXPECT_EQ(country, "Japan");
    EXPECT_TRUE(services.fileRequests.empty()); // no file dialog was needed
}

TEST(StartupFile, OldTableOpensInTheConverterAndOthersAreIgnored)
{
    FakeUserServices services;
    TempDir dir;
    Bytes cft(32, 0);
    cft[24] = 1; // one air entry
    cft[26] = 1; // one cable entry
    cft.resize(32 + 16, 0);
    cft.insert(cft.end(), {1, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    WriteAll(dir.File("old.cft"), cft);
    QString status;
    services.onRunModal = [&](CDialog& dialog) {
        dialog.Create();
        status = dialog.GetDlgItemText(IDC_STATIC_STATUS);
        dialog.EndDialog(IDCANCEL);
        return IDCANCEL;
    };
    CLauncherDlg launcher{services};
    launcher.SetStartupFile(QString::fromStdString(dir.File("old.cft")));
    launcher.Create();
    QCoreApplication::processEvents();
    EXPECT_EQ(services.modalDialogs, std::vector<QString>{"Convert"});
    EXPECT_EQ(status, "---");

    WriteAll(dir.File("notes.txt"), Bytes{'h', 'e', 'l', 'l', 'o', '!', '!', '!'});
    CLauncherDlg other{services};
    other.SetStartupFile(QString::fromStdString(dir.File("notes.txt")));
    other.Create();
    QCoreApplication::processEvents();
    EXPECT_EQ(services.modalDialogs.size(), 1u);
}

TEST(Activation, SecondStartReachesTheRunningInstance)
{
    QTemporaryDir dir;
    const QString socket = dir.filePath("VornalixTuner.lock.socket");
    EXPECT_FALSE(ActivationChannel::NotifyRunningInstance(socket, 200));
    ActivationChannel channel(socket);
    ASSERT_TRUE(channel.Listen());
    QSignalSpy requests(&channel, &ActivationChannel::ActivationRequested);
    EXPECT_TRUE(ActivationChannel::NotifyRunningInstance(socket));
    EXPECT_TRUE(requests.wait(5000));
    EXPECT_EQ(requests.count(), 1);

    // A socket left by a crashed instance does not stop the next one.
    ActivationChannel next(socket);
    EXPECT_TRUE(next.Listen());
}

TEST(StartupFile, TunerTableOpensInTheTunerEditor)
{
    FakeUserServices services;
    TempDir dir;
    Bytes tsf;
    PutBytes(tsf, {0x00, 0xCB, 0x00, 0x00, 'T', 'N', 'S', 'P'});
    PutI32(tsf, 1);
    PutI32(tsf, 0x03);
    PutI32(tsf, 0x12);
    tsf.resize(12 + 64, 0);
    PutBytes(tsf, {0x00, 0x00, 0xFF, 0xFF});
    WriteAll(dir.File("tuners.tsf"), tsf);
    QStringList row;
    bool inputsEnabled = false;
    services.onRunModal = [&](CDialog& dialog) {
        dialog.Create();
        ListView* list = dialog.GetListView(IDC_LIST_TUNERS);
        if (list && list->GetItemCount() == 1)
            row << list->GetItemText(0, 0) << list->GetItemText(0, 1) << list->GetItemText(0, 2);
        inputsEnabled = dialog.IsDlgItemEnabled(IDC_EDIT_LOW_BAND_START);
        dialog.EndDialog(IDCANCEL);
        return IDCANCEL;
    };
    CLauncherDlg launcher{services};
    launcher.SetStartupFile(QString::fromStdString(dir.File("tuners.tsf")));
    launcher.Create();
    QCoreApplication::processEvents();
    EXPECT_EQ(services.modalDialogs, std::vector<QString>{"Tuner Specification Edit"});
    EXPECT_EQ(row, (QStringList{"000", "03", "12"}));
    EXPECT_TRUE(inputsEnabled);
}

namespace {

// A raw client of the activation socket.
int ConnectTo(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void Send(int fd, const char* text)
{
    ASSERT_EQ(::send(fd, text, std::strlen(text), MSG_NOSIGNAL), static_cast<ssize_t>(std::strlen(text)));
}

} // namespace

TEST(Activation, OnlyTheWholeRequestLineActivates)
{
    QTemporaryDir dir;
    const QString socket = dir.filePath("VornalixTuner.lock.socket");
    {
        ActivationChannel channel(socket);
        ASSERT_TRUE(channel.Listen());
        EXPECT_EQ(QFileInfo(socket).permissions() & (QFile::ReadGroup | QFile::WriteOther | QFile::ReadOther), 0);
        QSignalSpy requests(&channel, &ActivationChannel::ActivationRequested);

        // A line that arrives in pieces counts once it is whole.
        const int split = ConnectTo(socket);
        ASSERT_GE(split, 0);
        Send(split, "activ");
        QTest::qWait(50);
        EXPECT_EQ(requests.count(), 0);
        Send(split, "ate\n");
        EXPECT_TRUE(requests.wait(5000));
        ::close(split);

        // Other lines, a line cut off by the end of the stream, endless text: nothing.
        for (const char* text :
             {"hello\n", "activate", "activate-now\n",
              "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"}) {
            const int fd = ConnectTo(socket);
            ASSERT_GE(fd, 0);
            Send(fd, text);
            ::shutdown(fd, SHUT_WR);
            // The channel ends every conversation itself.
            char c;
            QElapsedTimer timer;
            timer.start();
            ssize_t n = -1;
            while (timer.elapsed() < 5000 && (n = ::recv(fd, &c, 1, MSG_DONTWAIT)) < 0)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            EXPECT_EQ(n, 0) << text;
            ::close(fd);
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(requests.count(), 1);

        // Two instances asking at once are both heard.
        EXPECT_TRUE(ActivationChannel::NotifyRunningInstance(socket));
        EXPECT_TRUE(ActivationChannel::NotifyRunningInstance(socket));
        for (int i = 0; i < 100 && requests.count() < 3; ++i)
            requests.wait(50);
        EXPECT_EQ(requests.count(), 3);
    }
    // The listener takes its socket with it; a start then finds nobody.
    EXPECT_FALSE(QFileInfo::exists(socket));
    EXPECT_FALSE(ActivationChannel::NotifyRunningInstance(socket, 200));
    EXPECT_FALSE(ActivationChannel::NotifyRunningInstance(QString(200, QLatin1Char('x')), 200));
}

namespace {

// The application object run in this process on a command line, from the
// folder `workDir`, with its token in a private runtime folder. Every dialog
// opened over the launcher is read and closed; the launcher is closed once
// nothing else is to come. The titles of the dialogs opened, and the channel
// rows each showed.
struct AppRun
{
    std::vector<QString> dialogs;
    QStringList rows;
    QStringList files; // what each editor's status line named
    std::vector<QString> messages;
};

AppRun RunApp(const QString& workDir, const QStringList& arguments, const QList<QByteArray>& unnamable = {})
{
    AppRun run;
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString savedDir = QDir::currentPath();
    QDir::setCurrent(workDir);

    FakeUserServices services;
    services.onRunModal = [&](CDialog& dialog) {
        dialog.Create();
        ListView* list = dialog.GetListView(IDC_LIST_CHANNELS);
        for (int i = 0; list && i < list->GetItemCount(); ++i)
            run.rows << list->GetItemText(i, 0) + "|" + list->GetItemText(i, 1);
        if (auto* pLine = qobject_cast<EditorStatusLine*>(EditorFrame::Of(dialog)->StatusLine()))
            run.files << pLine->FileText();
        dialog.EndDialog(IDCANCEL);
        return IDCANCEL;
    };
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto* pLauncher = qobject_cast<CLauncherDlg*>(QApplication::activeModalWidget()))
            pLauncher->EndDialog(IDOK);
    });
    closer.start(300);
    CEditorApp app(services);
    EXPECT_FALSE(app.InitInstance(arguments, unnamable));
    run.dialogs = services.modalDialogs;
    run.messages = services.messages;

    QDir::setCurrent(savedDir);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    return run;
}

} // namespace

// The file named is the file the kernel opens: ".." after a linked folder
// leads out of the folder linked to, never back beside the link, and the
// name is kept whole from the command line to the editor, its title and its
// recent files. A relative name is made absolute where it is handed in.
TEST(StartupFile, TheFileNamedIsTheOneOpenedAndRemembered)
{
    TempDir dir;
    std::filesystem::create_directories(dir.File("deep/a/b"));
    std::filesystem::create_directory_symlink("deep/a/b", dir.File("linkdir"));
    WriteChannelTable(dir, "deep/a/x.ccf");
    WriteChannelTable(dir, "x.ccf", {48.25, 55.25}, 49);
    const QString work = QString::fromStdString(dir.Path());

    const AppRun linked = RunApp(work, {"vornalix", "linkdir/../x.ccf"});
    EXPECT_EQ(linked.rows, (QStringList{"001|55.25000", "002|62.25000", "003|--"}));
    EXPECT_EQ(linked.files, QStringList{work + "/linkdir/../x.ccf"});
    EXPECT_EQ(RecentFiles(QString::fromLatin1(kChannelRecentKind)).Files().value(0),
              QString::fromStdString(dir.File("deep/a/x.ccf")));

    const AppRun relative = RunApp(work, {"vornalix", "./x.ccf"});
    EXPECT_EQ(relative.rows, (QStringList{"001|48.25000", "002|55.25000"}));
    EXPECT_EQ(relative.files, QStringList{work + "/x.ccf"});
}

// A name that is not valid UTF-8 would decode to a look-alike (U+FFFD) that
// may be another file: it is refused with its bytes shown, and nothing opens.
TEST(StartupFile, ANameThatIsNotUtf8IsRefusedNotTakenForALookAlike)
{
    const CommandLine read = ReadCommandLine({"vornalix", "bad\xff.ccf", "-\xfe", "--", "-\xfd.ccf", "ok.ccf"});
    EXPECT_EQ(read.arguments, (QStringList{"vornalix", "--", "ok.ccf"}));
    EXPECT_EQ(read.unnamableFiles, (QList<QByteArray>{"bad\xff.ccf", "-\xfd.ccf"}));

    TempDir dir;
    WriteChannelTable(dir, "bad\xef\xbf\xbd.ccf");
    const AppRun run = RunApp(QString::fromStdString(dir.Path()), {"vornalix"}, {"bad\xff.ccf", "b\x1b.ccf\xc0"});
    EXPECT_TRUE(run.dialogs.empty());
    EXPECT_EQ(run.messages, std::vector<QString>{"Cannot open \"bad\\xff.ccf\": its name is not valid UTF-8, so it "
                                                 "would be taken for another file. One more such name was refused "
                                                 "too."});
}

// A file whose name begins with '-' opens like any other, given as it is when
// it exists, and anything after "--" is a file; other options are skipped.
TEST(StartupFile, CommandLineNamesThatBeginWithADashAreFiles)
{
    TempDir dir;
    WriteChannelTable(dir, "-x.ccf");
    const QString work = QString::fromStdString(dir.Path());
    const QStringList japan{"001|55.25000", "002|62.25000", "003|--"};
    for (const QStringList& arguments :
         {QStringList{"vornalix", "-x.ccf"}, QStringList{"vornalix", "--", "-x.ccf"},
          QStringList{"vornalix", "--unknown", "-x.ccf"}, QStringList{"vornalix", "--", "-x.ccf", "-y.ccf"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const AppRun run = RunApp(work, arguments);
        EXPECT_EQ(run.dialogs, std::vector<QString>{"Vornalix"});
        EXPECT_EQ(run.rows, japan);
    }
    // An option that names no file is not one.
    for (const QStringList& arguments :
         {QStringList{"vornalix", "-y.ccf"}, QStringList{"vornalix", "--"}, QStringList{"vornalix", "-x"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        EXPECT_TRUE(RunApp(work, arguments).dialogs.empty());
    }
}

namespace {

// The peak memory of the real program run on a command line from `workDir`
// until its windows have been painted, in KiB; -1 when it did not say.
long PeakMemoryOfRun(const QString& workDir, const QStringList& arguments)
{
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VORNALIX_EXIT_WHEN_SHOWN", "1");
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workDir);
    process.start(VORNALIX_EXECUTABLE, arguments);
    if (!process.waitForFinished(30000))
        return -1;
    const QRegularExpressionMatch peak =
        QRegularExpression("peak-rss-kib (\\d+)\n").match(QString::fromLocal8Bit(process.readAllStandardError()));
    return peak.hasMatch() ? peak.captured(1).toLong() : -1;
}

} // namespace

// The real program from its real command line: a table of 65,535 + 65,535
// channels open in the editor costs megabytes more than the launcher alone,
// which tells whether the program opened it. A name after "--" is a file even
// where Qt would take it for one of its own options.
TEST(StartupFile, ProgramOpensFilesNamedLikeOptions)
{
    TempDir dir;
    ChannelTable table(true);
    for (ChannelMode mode : {ChannelModeAir, ChannelModeCable}) {
        for (int i = 1; i <= 65535; ++i) {
            auto* node = new ChannelNode;
            node->dbFrequency = 40.0 + i * 0.0625;
            ASSERT_EQ(table.AppendChannel(mode, node), 1);
        }
    }
    ASSERT_EQ(table.Save(dir.File("-x.ccf").c_str()), 1);
    ASSERT_EQ(table.Save(dir.File("-reverse").c_str()), 1); // also an option of Qt's
    const QString work = QString::fromStdString(dir.Path());

    const long launcherOnly = PeakMemoryOfRun(work, {});
    ASSERT_GT(launcherOnly, 0);
    constexpr long kTableKiB = 4096; // the table alone is 131,070 nodes of 32 bytes
    for (const QStringList& arguments :
         {QStringList{"-x.ccf"}, QStringList{"--", "-x.ccf"}, QStringList{"--", "-reverse"}}) {
        const long peak = PeakMemoryOfRun(work, arguments);
        EXPECT_GT(peak, launcherOnly + kTableKiB) << arguments.join(' ').toStdString() << ": the table was not opened";
    }
    EXPECT_LT(PeakMemoryOfRun(work, {"-y.ccf"}), launcherOnly + kTableKiB) << "the measure does not tell";
}

namespace {

// The channel rows a dialog's list shows, "number|frequency".
QStringList ListedChannelRows(const CDialog& dialog)
{
    QStringList rows;
    ListView* list = dialog.GetListView(IDC_LIST_CHANNELS);
    for (int i = 0; list && i < list->GetItemCount(); ++i)
        rows << list->GetItemText(i, 0) + "|" + list->GetItemText(i, 1);
    return rows;
}

} // namespace

// The real program started a second time with a file, from another folder,
// while this instance's channel table editor is open: the editor loads it as
// its load command would, and undo brings back the table it replaced. A second
// start without files opens nothing.
TEST(StartupFile, SecondStartOpensItsFileInTheRunningEditor)
{
    TempDir dir;
    const QString japan = QString::fromStdString(WriteChannelTable(dir, "japan.ccf"));
    WriteChannelTable(dir, "de-v2.ccf", {48.25, 55.25}, 49);
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const auto startAgain = [&](const QStringList& arguments) {
        QProcess second;
        second.setProcessEnvironment(env);
        second.setWorkingDirectory(QString::fromStdString(dir.Path()));
        second.start(VORNALIX_EXECUTABLE, arguments);
        EXPECT_TRUE(second.waitForFinished(10000)) << "the second start kept running";
        EXPECT_EQ(second.exitCode(), 0);
    };

    const QStringList japanRows{"001|55.25000", "002|62.25000", "003|--"};
    const QStringList germanRows{"001|48.25000", "002|55.25000"};
    QStringList loaded, undone, afterPlainStart;
    FakeUserServices services;
    services.onRunModal = [&](CDialog& dialog) {
        dialog.Create();
        services.fileAnswers.push_back(japan);
        dialog.OnCommand(IDC_BUTTON_LOAD_FROM_FILE);
        EXPECT_EQ(ListedChannelRows(dialog), japanRows);
        startAgain({"de-v2.ccf"});
        WaitFor([&] { return ListedChannelRows(dialog) != japanRows; }, 10000);
        loaded = ListedChannelRows(dialog);
        dialog.OnCommand(IDM_UNDO);
        undone = ListedChannelRows(dialog);
        startAgain({});
        QTest::qWait(300);
        afterPlainStart = ListedChannelRows(dialog);
        dialog.EndDialog(IDCANCEL);
        return IDCANCEL;
    };
    QTimer::singleShot(100, [] {
        if (auto* pLauncher = qobject_cast<CLauncherDlg*>(QApplication::activeModalWidget())) {
            pLauncher->OnCommand(IDC_BUTTON_FREQUENCY_EDIT);
            pLauncher->EndDialog(IDOK);
        }
    });
    CEditorApp app(services);
    EXPECT_FALSE(app.InitInstance({"vornalix"}));
    qputenv("XDG_RUNTIME_DIR", savedRuntime);

    EXPECT_EQ(services.modalDialogs, std::vector<QString>{"Vornalix"}); // the one editor, no other
    EXPECT_EQ(loaded, germanRows);
    EXPECT_EQ(undone, japanRows);
    EXPECT_EQ(afterPlainStart, japanRows);
}

// Where each file of another start goes: into the open editor of its kind,
// else into one opened on top of whatever is open; while some other dialog
// is on top, it waits for that to close.
TEST(StartupFile, FilesOfAnotherStartGoToTheEditorOfTheirKind)
{
    TempDir dir;
    const QString japan = QString::fromStdString(WriteChannelTable(dir, "japan.ccf"));
    const QString german = QString::fromStdString(WriteChannelTable(dir, "de.ccf", {48.25, 55.25}, 49));
    WriteAll(dir.File("notes.txt"), Bytes{'h', 'e', 'l', 'l', 'o', '!', '!', '!'});
    FakeUserServices services;
    QStringList rowsOnTop;
    services.onRunModal = [&](CDialog& dialog) {
        dialog.Create();
        rowsOnTop = ListedChannelRows(dialog);
        dialog.EndDialog(IDCANCEL);
        return IDCANCEL;
    };
    CLauncherDlg launcher{services};
    launcher.Create();

    // Only the tuner editor is open: the channel table editor opens on top of
    // it with the file; a file of no known kind is passed over.
    {
        CTunerEditDlg tuner{services};
        tuner.Create();
        launcher.OpenFilesFromAnotherStart({QString::fromStdString(dir.File("notes.txt")), japan});
        ASSERT_TRUE(WaitFor([&] { return !services.modalDialogs.empty(); }, 10000));
        EXPECT_EQ(services.modalDialogs, std::vector<QString>{"Vornalix"});
        EXPECT_EQ(rowsOnTop, (QStringList{"001|55.25000", "002|62.25000", "003|--"}));
        tuner.EndDialog(IDCANCEL);
    }

    // The channel table editor is open: the files load into it, one after the
    // other, and no other dialog opens.
    CFrequencyTableDlg editor{services};
    editor.Create();
    launcher.OpenFilesFromAnotherStart({japan, german});
    ASSERT_TRUE(WaitFor([&] { return ListedChannelRows(editor).size() == 2; }, 10000));
    EXPECT_EQ(ListedChannelRows(editor), (QStringList{"001|48.25000", "002|55.25000"}));
    editor.OnCommand(IDM_UNDO);
    EXPECT_EQ(ListedChannelRows(editor).size(), 3);
    EXPECT_EQ(services.modalDialogs.size(), 1u);

    // A message is open over the editor: the file waits until it is closed.
    QDialog message;
    message.setWindowModality(Qt::ApplicationModal);
    message.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &message);
    launcher.OpenFilesFromAnotherStart({german});
    QTest::qWait(2 * CLauncherDlg::kWaitingFilesRetryMs);
    EXPECT_EQ(ListedChannelRows(editor).size(), 3);
    // Starts that keep coming while it is open fill the queue to its bound
    // and no further: the files past it are passed over.
    for (int i = 0; i < CLauncherDlg::kMaxWaitingFiles; ++i)
        launcher.OpenFilesFromAnotherStart({japan, german});
    EXPECT_EQ(launcher.WaitingFileCount(), CLauncherDlg::kMaxWaitingFiles);
    message.hide();
    // The German file and 63 of the rest, the last of them a Japanese one.
    EXPECT_TRUE(WaitFor([&] { return launcher.WaitingFileCount() == 0; }, 30000));
    EXPECT_EQ(ListedChannelRows(editor).size(), 3);
    editor.EndDialog(IDCANCEL);
}

// --help and --version answer as Qt programs do, with no display at all; an
// option the program does not know is refused with the usage.
TEST(StartupFile, HelpAndVersionNeedNoDisplayAndUnknownOptionsAreRefused)
{
    const auto run = [](const QStringList& arguments, bool bDisplay) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        if (bDisplay)
            env.insert("QT_QPA_PLATFORM", "offscreen");
        else
            env.remove("QT_QPA_PLATFORM");
        program.setProcessEnvironment(env);
        program.start(VORNALIX_EXECUTABLE, arguments);
        EXPECT_TRUE(program.waitForFinished(10000));
        return std::make_tuple(program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
                               QString::fromUtf8(program.readAllStandardOutput()),
                               QString::fromUtf8(program.readAllStandardError()));
    };
    for (const char* pszHelp : {"--help", "-h"}) {
        const auto [status, out, err] = run({pszHelp}, false);
        EXPECT_EQ(status, 0) << pszHelp << err.toStdString();
        EXPECT_TRUE(out.startsWith("Usage: vornalix [OPTION]... [FILE]...\n")) << out.toStdString();
    }
    const auto [versionStatus, version, versionErr] = run({"--version"}, false);
    EXPECT_EQ(versionStatus, 0) << versionErr.toStdString();
    EXPECT_TRUE(QRegularExpression("^vornalix [0-9]+(\\.[0-9]+)+\n$").match(version).hasMatch())
        << version.toStdString();
    const auto [unknownStatus, unknownOut, unknownErr] = run({"--bogus"}, true);
    EXPECT_EQ(unknownStatus, 2);
    EXPECT_TRUE(unknownOut.isEmpty());
    EXPECT_TRUE(unknownErr.contains("vornalix: unknown option --bogus\nUsage: vornalix")) << unknownErr.toStdString();
}
