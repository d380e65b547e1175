// The channel editor's rules on a document, without widgets.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "edit/ChannelTableDocument.h"
#include "tests/TestFiles.h"

namespace {

// Both lists with their stored ranges, for comparing whole states.
struct Snapshot
{
    std::vector<double> air, cable;
    ChannelRange airRange, cableRange;
    std::int32_t iCountry = 0;
};

Snapshot Take(ChannelTableDocument& doc)
{
    Snapshot s;
    const std::int32_t iMode = doc.Mode();
    doc.SetMode(ChannelModeAir);
    s.air = doc.CurrentFrequencies();
    doc.SetMode(ChannelModeCable);
    s.cable = doc.CurrentFrequencies();
    doc.SetMode(iMode < 0 ? 2 : iMode);
    s.airRange = doc.Range(ChannelModeAir);
    s.cableRange = doc.Range(ChannelModeCable);
    s.iCountry = doc.CountryCode();
    return s;
}

std::string WriteCcf(TempDir& dir, const std::string& name, std::int32_t country, const std::vector<double>& air)
{
    const std::string path = dir.File(name);
    WriteAll(path, ChannelTableImage(country, air, {}, 1, 0));
    return path;
}

} // namespace

TEST(ChannelTableDocument, OpensWithoutTableModeOrOriginAndRefusesEveryCommand)
{
    ChannelTableDocument doc;
    EXPECT_FALSE(doc.HasTable());
    EXPECT_EQ(doc.Origin(), TableOriginNone);
    EXPECT_EQ(doc.Mode(), ChannelModeNone);
    EXPECT_FALSE(doc.Append(55.25));
    EXPECT_FALSE(doc.InsertBlank(1));
    EXPECT_FALSE(doc.Delete(1));
    EXPECT_EQ(doc.DeleteMany({1, 2}), 0);
    EXPECT_FALSE(doc.SetFrequency(1, 1.0));
    EXPECT_FALSE(doc.SetCountryCode(44));
    EXPECT_TRUE(doc.CurrentFrequencies().empty());
    EXPECT_EQ(doc.Frequency(1), -1.0);
    FileError error;
    EXPECT_FALSE(doc.Save("/nonexistent/x.ccf", error));
}

TEST(ChannelTableDocument, CreateNewKeepsACreatedTableAndDropsALoadedOne)
{
    TempDir dir;
    ChannelTableDocument doc;
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_EQ(doc.Origin(), TableOriginCreated);
    EXPECT_EQ(doc.Mode(), ChannelModeAir);
    doc.Append(55.25);
    doc.SetCountryCode(44);
    const ChannelTable* pCreated = doc.Table();
    doc.SetMode(ChannelModeCable);
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_EQ(doc.Table(), pCreated);
    EXPECT_EQ(doc.Mode(), ChannelModeAir);
    EXPECT_EQ(doc.CurrentFrequencies(), std::vector<double>{55.25});
    EXPECT_EQ(doc.CountryCode(), 44);

    FileError error;
    ASSERT_TRUE(doc.Load(WriteCcf(dir, "a.ccf", 33, {48.25, 0.0}), error));
    EXPECT_EQ(doc.Origin(), TableOriginLoaded);
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_EQ(doc.Origin(), TableOriginCreated);
    EXPECT_TRUE(doc.CurrentFrequencies().empty());
    EXPECT_EQ(doc.CountryCode(), 0);
}

TEST(ChannelTableDocument, FailedLoadKeepsTableOriginAndModeAndTellsWhy)
{
    TempDir dir;
    ChannelTableDocument doc;
    FileError error;
    EXPECT_FALSE(doc.Load(dir.File("missing.ccf"), error));
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_FALSE(doc.HasTable());
    EXPECT_EQ(doc.Origin(), TableOriginNone);

    doc.CreateNew();
    doc.Append(62.25);
    doc.SetMode(ChannelModeCable);
    const Snapshot before = Take(doc);
    FileError again;
    EXPECT_FALSE(doc.Load(dir.File("missing.ccf"), again));
    EXPECT_EQ(doc.Origin(), TableOriginCreated);
    EXPECT_EQ(doc.Mode(), ChannelModeCable);
    const Snapshot after = Take(doc);
    EXPECT_EQ(after.air, before.air);

    FileError loaded;
    ASSERT_TRUE(doc.Load(WriteCcf(dir, "b.ccf", 1, {48.25, 0.0, 60.5}), loaded));
    EXPECT_EQ(loaded.code, 0);
    EXPECT_EQ(doc.Mode(), ChannelModeAir);
    EXPECT_EQ(doc.CurrentFrequencies(), (std::vector<double>{48.25, 0.0, 60.5}));
    EXPECT_EQ(doc.CountryCode(), 1);
}

TEST(ChannelTableDocument, StructuralEditsRecomputeTheRangeOverwritesDoNot)
{
    ChannelTableDocument doc;
    doc.CreateNew();
    for (double f : {0.0, 55.25, 62.25, 0.0})
        ASSERT_TRUE(doc.Append(f));
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 2);
    EXPECT_EQ(doc.Range(ChannelModeAir).iMax, 3);

    // Writing the first slot leaves the range as it was.
    ASSERT_TRUE(doc.SetFrequency(1, 48.25));
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 2);
    EXPECT_FALSE(doc.SetFrequency(5, 1.0));
    EXPECT_FALSE(doc.SetFrequency(0, 1.0));

    // An insertion recomputes it, counting the written slot.
    ASSERT_TRUE(doc.InsertBlank(4));
    EXPECT_EQ(doc.CurrentFrequencies(), (std::vector<double>{48.25, 55.25, 62.25, 0.0, 0.0}));
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, 1);
    EXPECT_EQ(doc.Range(ChannelModeAir).iMax, 3);
    EXPECT_FALSE(doc.InsertBlank(6));

    ASSERT_TRUE(doc.Delete(3));
    EXPECT_EQ(doc.CurrentFrequencies(), (std::vector<double>{48.25, 55.25, 0.0, 0.0}));
    EXPECT_EQ(doc.Range(ChannelModeAir).iMax, 2);
    EXPECT_FALSE(doc.Delete(5));

    // The other list is not touched by any of it.
    EXPECT_EQ(doc.Range(ChannelModeCable).iMin, 0);
    doc.SetMode(ChannelModeCable);
    EXPECT_TRUE(doc.CurrentFrequencies().empty());
}

TEST(ChannelTableDocument, DeletingManyEqualsDeletingOneByOneFromTheHighest)
{
    ChannelTableDocument many;
    ChannelTableDocument single;
    for (ChannelTableDocument* doc : {&many, &single}) {
        doc->CreateNew();
        for (int i = 1; i <= 40; ++i)
            doc->Append(i % 7 == 0 ? 0.0 : 40.0 + i);
    }
    const std::vector<std::int32_t> chosen = {1, 2, 3, 10, 21, 22, 39, 40};
    EXPECT_EQ(many.DeleteMany(chosen), static_cast<std::int32_t>(chosen.size()));
    for (auto it = chosen.rbegin(); it != chosen.rend(); ++it)
        ASSERT_TRUE(single.Delete(*it));
    const Snapshot a = Take(many);
    const Snapshot b = Take(single);
    EXPECT_EQ(a.air, b.air);
    EXPECT_EQ(a.airRange.iMin, b.airRange.iMin);
    EXPECT_EQ(a.airRange.iMax, b.airRange.iMax);
}

TEST(ChannelTableDocument, ModesBeyondCableAreNoneAndNegativeOnesAreIgnored)
{
    ChannelTableDocument doc;
    doc.CreateNew();
    doc.SetMode(ChannelModeCable);
    doc.SetMode(-1);
    EXPECT_EQ(doc.Mode(), ChannelModeCable);
    doc.SetMode(2);
    EXPECT_EQ(doc.Mode(), ChannelModeNone);
    EXPECT_FALSE(doc.Append(55.25));
}

TEST(ChannelTableDocument, CountryCodesAboveZeroAreTaken)
{
    ChannelTableDocument doc;
    doc.CreateNew();
    EXPECT_TRUE(doc.SetCountryCode(44));
    EXPECT_FALSE(doc.SetCountryCode(0));
    EXPECT_FALSE(doc.SetCountryCode(-7));
    EXPECT_EQ(doc.CountryCode(), 44);
}

TEST(ChannelTableDocument, SaveWritesTheFileAndReportsAFolderThatIsNotThere)
{
    TempDir dir;
    ChannelTableDocument doc;
    doc.CreateNew();
    doc.Append(55.25);
    doc.SetCountryCode(44);
    FileError error;
    ASSERT_TRUE(doc.Save(dir.File("out.ccf"), error));
    ChannelTableDocument reread;
    ASSERT_TRUE(reread.Load(dir.File("out.ccf"), error));
    EXPECT_EQ(reread.CurrentFrequencies(), std::vector<double>{55.25});
    EXPECT_EQ(reread.CountryCode(), 44);

    FileError failed;
    EXPECT_FALSE(doc.Save(dir.File("no-folder/out.ccf"), failed));
    EXPECT_EQ(failed.code, ENOENT);
}

namespace {

// The file "Save" writes to follows the table: set by a load or a save,
// emptied by a fresh table and by undoing or redoing a step that put
// another table in place, kept by edits and their undo.
TEST(ChannelTableDocumentSavePath, FollowsTheTableThroughLoadsSavesAndUndo)
{
    TempDir dir;
    const std::string a = WriteCcf(dir, "a.ccf", 49, {48.25});
    const std::string b = WriteCcf(dir, "b.ccf", 33, {175.25});
    ChannelTableDocument doc;
    EXPECT_EQ(doc.SavePath(), "");
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_EQ(doc.SavePath(), "");
    FileError error;
    const std::string saved = dir.File("saved.ccf");
    ASSERT_TRUE(doc.Save(saved, error));
    EXPECT_EQ(doc.SavePath(), saved);
    ASSERT_TRUE(doc.Load(a, error));
    EXPECT_EQ(doc.SavePath(), a);
    ASSERT_TRUE(doc.Append(55.25));
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.SavePath(), a); // an edit leaves the table the file's
    ASSERT_TRUE(doc.Redo());
    ASSERT_TRUE(doc.Load(b, error));
    EXPECT_EQ(doc.SavePath(), b);
    ASSERT_TRUE(doc.Undo()); // the table of a is back, and with it its file
    EXPECT_EQ(doc.SavePath(), a);
    EXPECT_EQ(doc.SaveFile().Identity(), IdentityOf(a));
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.SavePath(), b);
    // A failed load changes nothing.
    ASSERT_TRUE(doc.Save(b, error));
    EXPECT_FALSE(doc.Load(dir.File("missing.ccf"), error));
    EXPECT_EQ(doc.SavePath(), b);
    // A fresh table over a loaded one has no file.
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_EQ(doc.SavePath(), "");
    doc.Reset();
    EXPECT_EQ(doc.SavePath(), "");
}

TEST(ChannelTableDocumentNearest, NearestChannelSkipsEmptySlotsAndTakesTheLowerOfEquals)
{
    TempDir dir;
    ChannelTableDocument doc;
    EXPECT_EQ(doc.NearestChannel(100.0), 0);
    FileError error;
    ASSERT_TRUE(doc.Load(WriteCcf(dir, "n.ccf", 1, {0.0, 100.0, -5.0, 110.0, 0.0}), error));
    EXPECT_EQ(doc.NearestChannel(0.0), 2);
    EXPECT_EQ(doc.NearestChannel(105.0), 2);
    EXPECT_EQ(doc.NearestChannel(105.1), 4);
    EXPECT_EQ(doc.NearestChannel(1e9), 4);
    doc.SetMode(ChannelModeCable);
    EXPECT_EQ(doc.NearestChannel(100.0), 0);
}

} // namespace
