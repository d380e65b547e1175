#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "ActivationChannel.h"
#include "CConvertDlg.h"
#include "CFrequencyTableDlg.h"
#include "CLauncherDlg.h"
#include "ChannelTable.h"
#include "GuiTestSupport.h"
#include "FakeUserServices.h"
#include "FileKind.h"
#include "TestFiles.h"
#include "resource.h"

namespace {

std::string WriteChannelTable(const TempDir& dir, const std::string& name)
{
    ChannelTable table(true);
    for (double f : {55.25, 62.25, 0.0}) {
        auto* node = new ChannelNode;
        node->dbFrequency = f;
        table.AppendChannel(ChannelModeAir, node);
    }
    table.SetCountryCode(81);
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
    CLauncherDlg launcher;
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
    CLauncherDlg launcher;
    launcher.SetStartupFile(QString::fromStdString(dir.File("old.cft")));
    launcher.Create();
    QCoreApplication::processEvents();
    EXPECT_EQ(services.modalDialogs, std::vector<QString>{"Convert"});
    EXPECT_EQ(status, "---");

    WriteAll(dir.File("notes.txt"), Bytes{'h', 'e', 'l', 'l', 'o', '!', '!', '!'});
    CLauncherDlg other;
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
    CLauncherDlg launcher;
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
        for (const char* text : {"hello\n", "activate", "activate-now\n",
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
