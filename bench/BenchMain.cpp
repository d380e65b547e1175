// The benchmarks drive real widgets, so a QApplication exists before any of
// them runs; without a display they run on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include "ui/app/ApplicationStyle.h"
#include "ui/app/RecentFiles.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallApplicationStyle();
    // The editors' recovery copies and recent files go to folders of the run's own.
    QTemporaryDir stateFolder, configFolder;
    qputenv("XDG_STATE_HOME", QFile::encodeName(stateFolder.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configFolder.path()));
    // The recent files are written in the background, as the program does;
    // the writer ends, its lists written, before their folder goes.
    RecentFilesWriter recentFilesWriter;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
