#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

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
