// `vornalix-tool check` of a tuner table warns of frequencies no tuner means:
// band edges outside the TV tuning range (40 to 1000 MHz), picture carriers
// outside the intermediate-frequency range (32 to 60 MHz). Warnings count for
// the exit status; a value on a limit is none.

#include <gtest/gtest.h>

#include "tests/tool/ToolProcess.h"
#include "tests/tool/ToolTestFiles.h"

TEST(ToolCheck, ImplausibleTunerFrequenciesAreWarnings)
{
    TempDir dir;
    TnspImage limits;
    TnspRecord onLimits; // factory 03, tuner type 12: key 213
    onLimits.low = 40.0;
    onLimits.end = 1000.0;
    onLimits.pc = 32.0;
    onLimits.pc2 = 60.0;
    limits.records.push_back(onLimits);
    const std::string clean = WriteFile(dir, "limits.tsf", limits.Build());
    ToolRun run = RunToolProcess({"check", clean});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "");

    // One MHz bands and a 5 MHz carrier; a band end and a second carrier just beyond.
    TnspImage image;
    TnspRecord tiny;
    tiny.low = 1.0;
    tiny.mid = 2.0;
    tiny.high = 3.0;
    tiny.end = 4.0;
    tiny.pc = 5.0;
    image.records.push_back(tiny);
    TnspRecord beyond;
    beyond.factory = 0x04;
    beyond.end = 1000.01;
    beyond.pc2 = 60.01;
    image.records.push_back(beyond);
    const std::string path = WriteFile(dir, "implausible.tsf", image.Build());
    run = RunToolProcess({"check", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    const std::string e1 = path + ": warning: entry 000 (03:12): ";
    const std::string e2 = path + ": warning: entry 001 (04:12): ";
    EXPECT_EQ(run.out, e1 + "the band edges 1, 2, 3, 4 MHz reach outside the TV tuning range of 40 to 1000 MHz\n" + e1 +
                           "the picture carrier 5 MHz is outside the intermediate-frequency range of 32 to 60 MHz\n" +
                           e2 +
                           "the band edges 48.25, 160, 442, 1000.01 MHz reach outside the TV tuning range of 40 to "
                           "1000 MHz\n" +
                           e2 +
                           "the picture carrier 2 60.01 MHz is outside the intermediate-frequency range of 32 to 60 "
                           "MHz\n");
}
