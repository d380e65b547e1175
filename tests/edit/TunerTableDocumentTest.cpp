// The tuner editor's rules on a document, without widgets.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "edit/TunerTableDocument.h"
#include "tests/TestFiles.h"
#include "tests/edit/TunerInputs.h"

namespace {

TunerInput Valid(std::int32_t iFactory, std::int32_t iType)
{
    return ValidTunerInput(iFactory, iType);
}

std::vector<std::pair<std::int32_t, std::int32_t>> Keys(const TunerTableDocument& doc)
{
    std::vector<std::pair<std::int32_t, std::int32_t>> keys;
    for (const TunerRow& row : doc.Rows())
        keys.emplace_back(row.iFactory, row.iTunerType);
    return keys;
}

} // namespace

TEST(TunerTableDocument, AddInfoPlacesEntriesInKeyOrderAndRefusesATakenKey)
{
    TunerTableDocument doc;
    EXPECT_FALSE(doc.AddInfo(Valid(0x12, 0x07)).entry.has_value()); // no table yet
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_TRUE(doc.AddInfo(Valid(0x12, 0x21)).bAdded);
    EXPECT_TRUE(doc.AddInfo(Valid(0x05, 0x01)).bAdded);
    EXPECT_TRUE(doc.AddInfo(Valid(0x12, 0x07)).bAdded);
    // Keys 105, 138 and 718: factory + 10 x the type's high digits + 100 x its low digit.
    EXPECT_EQ(Keys(doc),
              (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x05, 0x01}, {0x12, 0x21}, {0x12, 0x07}}));

    TunerInput again = Valid(0x12, 0x07);
    again.lowBandStart = "50";
    const AddInfoOutcome taken = doc.AddInfo(again);
    EXPECT_FALSE(taken.bAdded);
    EXPECT_TRUE(taken.message.empty());
    ASSERT_TRUE(taken.entry.has_value()); // shown all the same
    EXPECT_EQ(taken.entry->dbLowBandStart(), 50.0);
    EXPECT_EQ(doc.Rows().size(), 3u);
    EXPECT_EQ(doc.EntryAt(2)->dbLowBandStart(), 44.0);
    EXPECT_FALSE(doc.EntryAt(3).has_value());
}

TEST(TunerTableDocument, EachCheckRefusesWithItsMessageInOrder)
{
    TunerTableDocument doc;
    doc.CreateNew();
    const std::string coverage = "Channel Coverage input error, try again!";
    const std::string bandCode = "Band Code input error, try again!";
    std::string TunerInput::*edges[] = {&TunerInput::lowBandStart, &TunerInput::midBandStart,
                                        &TunerInput::highBandStart, &TunerInput::highBandEnd};
    for (auto field : edges) {
        for (const char* bad : {"", "0", "-1", "0x1A", "inf", "nan", "1e400", "MHz"}) {
            TunerInput in = Valid(1, 1);
            in.*field = bad;
            in.lowCode = "bad"; // a later fault is not told
            const AddInfoOutcome outcome = doc.AddInfo(in);
            EXPECT_EQ(outcome.message, coverage) << bad;
            EXPECT_FALSE(outcome.entry.has_value());
        }
    }
    std::string TunerInput::*codes[] = {&TunerInput::lowCode, &TunerInput::midCode, &TunerInput::highCode};
    for (auto field : codes) {
        for (const char* bad : {"", "A1", "00A", "00A1 ", "0x12", "00G1", "12345"}) {
            TunerInput in = Valid(1, 1);
            in.*field = bad;
            EXPECT_EQ(doc.AddInfo(in).message, bandCode) << bad;
        }
    }
    TunerInput noCarrier = Valid(1, 1);
    noCarrier.pictureCarrier = "0";
    EXPECT_EQ(doc.AddInfo(noCarrier).message, bandCode);
    EXPECT_TRUE(doc.Rows().empty());

    TunerInput second = Valid(1, 1);
    second.pictureCarrier2 = "-3";
    const AddInfoOutcome outcome = doc.AddInfo(second);
    ASSERT_TRUE(outcome.bAdded);
    EXPECT_EQ(outcome.entry->dbPictureCarrier2(), 0.0);
    EXPECT_EQ(outcome.entry->wLowCode(), 0x00A1);
}

TEST(TunerTableDocument, LoadKeepsATableAFileCannotReplaceAndOtherwiseStartsEmpty)
{
    TempDir dir;
    TunerTableDocument doc;
    FileError error;
    EXPECT_EQ(doc.Load(dir.File("missing.tsf"), error), TunerLoadResult::EmptyTable);
    EXPECT_EQ(error.code, ENOENT);
    ASSERT_TRUE(doc.HasTable());
    EXPECT_TRUE(doc.AddInfo(Valid(5, 1)).bAdded);

    FileError saveError;
    ASSERT_TRUE(doc.Save(dir.File("one.tsf"), saveError));
    FileError again;
    EXPECT_EQ(doc.Load(dir.File("missing.tsf"), again), TunerLoadResult::KeptTable);
    EXPECT_EQ(doc.Rows().size(), 1u);

    TunerTableDocument other;
    FileError read;
    EXPECT_EQ(other.Load(dir.File("one.tsf"), read), TunerLoadResult::Read);
    EXPECT_EQ(Keys(other), Keys(doc));
}

// The image the list and the status line read is the bytes just loaded when
// those are the file as the table writes it, and the table's own otherwise:
// after a load of any shape it is the table's image. (Edits after a load are
// the random undo model's.)
TEST(TunerTableDocument, TheSharedImageAfterALoadIsTheTablesWhateverTheFileHeld)
{
    TempDir dir;
    TunerTableDocument doc;
    doc.CreateNew();
    for (std::int32_t i = 1; i <= 3; ++i)
        ASSERT_TRUE(doc.AddInfo(Valid(i, 1)).bAdded);
    FileError error;
    ASSERT_TRUE(doc.Save(dir.File("whole.tsf"), error));
    const Bytes whole = ReadAll(dir.File("whole.tsf"));
    Bytes trailing = whole;
    trailing.insert(trailing.end(), {'m', 'o', 'r', 'e'});
    const Bytes cutShort(whole.begin(), whole.end() - 2);
    Bytes negative(whole.begin(), whole.begin() + 12);
    negative[8] = 0xFF, negative[9] = 0xFF, negative[10] = 0xFF, negative[11] = 0xFF;
    negative.insert(negative.end(), {1, 2, 3, 4});

    for (const Bytes& file : {whole, trailing, cutShort, negative}) {
        WriteAll(dir.File("in.tsf"), file);
        ASSERT_EQ(doc.Load(dir.File("in.tsf"), error), TunerLoadResult::Read);
        EXPECT_TRUE(*doc.SharedFileImage() == doc.Table()->FileImage()) << file.size() << " bytes";
    }
}

TEST(TunerTableDocument, DeleteTunerTakesOnlyAPositionInTheList)
{
    TunerTableDocument doc;
    doc.CreateNew();
    doc.AddInfo(Valid(1, 1));
    doc.AddInfo(Valid(1, 2));
    doc.AddInfo(Valid(1, 3));
    EXPECT_FALSE(doc.DeleteTuner(0));
    EXPECT_FALSE(doc.DeleteTuner(4));
    EXPECT_TRUE(doc.DeleteTuner(2));
    EXPECT_EQ(Keys(doc), (std::vector<std::pair<std::int32_t, std::int32_t>>{{1, 1}, {1, 3}}));
}

TEST(TunerTableDocument, EmptyTableSavesItsHeaderWithoutError)
{
    TempDir dir;
    TunerTableDocument doc;
    doc.CreateNew();
    FileError error;
    EXPECT_TRUE(doc.Save(dir.File("empty.tsf"), error));
    EXPECT_EQ(ReadAll(dir.File("empty.tsf")).size(), 12u); // the header alone
    FileError failed;
    EXPECT_FALSE(doc.Save(dir.File("none/empty.tsf"), failed));
    EXPECT_EQ(failed.code, ENOENT);
}

// A file with a count of 0 is read as it stands: no end mark is read, so the
// table holds a zero one and writes it once entries are added. The recovery
// copy of an empty table is such a header too, but it stood for a table with
// a whole end mark, and the restored table gets one.
TEST(TunerTableDocument, AnEmptyFileHoldsAZeroEndMarkAnEmptyCopyRestoresAWholeOne)
{
    TempDir dir;
    TunerTableDocument doc;
    doc.CreateNew();
    FileError error;
    ASSERT_TRUE(doc.Save(dir.File("empty.tsf"), error));
    const auto savedEndMark = [&](const std::string& name) {
        FileError saveError;
        EXPECT_TRUE(doc.AddInfo(Valid(5, 1)).bAdded);
        EXPECT_TRUE(doc.Save(dir.File(name), saveError)) << saveError.text;
        const Bytes saved = ReadAll(dir.File(name));
        return saved.size() == 80u ? Bytes(saved.end() - 4, saved.end()) : saved;
    };

    ASSERT_EQ(doc.Load(dir.File("empty.tsf"), error), TunerLoadResult::Read);
    EXPECT_EQ(savedEndMark("loaded.tsf"), Bytes(4, 0));

    ASSERT_TRUE(doc.Restore(dir.File("empty.tsf"), RestoreOrigin(), error)) << error.text;
    EXPECT_EQ(savedEndMark("restored.tsf"), (Bytes{0x00, 0x00, 0xFF, 0xFF}));
}

TEST(TunerTableDocument, SavePathFollowsLoadsSavesAndTheTablesUndoBringsBack)
{
    TempDir dir;
    TunerTableDocument doc;
    FileError error;
    ASSERT_TRUE(doc.CreateNew());
    ASSERT_TRUE(doc.AddInfo(Valid(1, 1)).bAdded);
    EXPECT_EQ(doc.SavePath(), "");
    const std::string one = dir.File("one.tsf"), two = dir.File("two.tsf");
    ASSERT_TRUE(doc.Save(one, error));
    EXPECT_EQ(doc.SavePath(), one);
    ASSERT_TRUE(doc.AddInfo(Valid(2, 1)).bAdded);
    ASSERT_TRUE(doc.Save(two, error));
    ASSERT_EQ(doc.Load(one, error), TunerLoadResult::Read);
    EXPECT_EQ(doc.SavePath(), one);
    ASSERT_TRUE(doc.AddInfo(Valid(3, 1)).bAdded);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.SavePath(), one);
    ASSERT_TRUE(doc.Undo()); // back to the table saved as two.tsf, tied to it again
    EXPECT_EQ(doc.SavePath(), two);
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.SavePath(), one);
    // A file that cannot be read keeps the table and its file.
    ASSERT_TRUE(doc.Save(two, error));
    EXPECT_EQ(doc.Load(dir.File("missing.tsf"), error), TunerLoadResult::KeptTable);
    EXPECT_EQ(doc.SavePath(), two);
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_EQ(doc.SavePath(), "");
}

// Replace Entry: Add Info's checks and messages, then the entry of the input's
// key replaced where it stands, one step that undo and redo take back and forth.
TEST(TunerTableDocument, ReplaceEntryChecksAsAddInfoAndReplacesTheEntryOfItsKey)
{
    TunerTableDocument doc;
    EXPECT_EQ(doc.ReplaceEntry(Valid(1, 1)).message, ""); // no table: nothing said
    ASSERT_TRUE(doc.CreateNew());
    ASSERT_TRUE(doc.AddInfo(Valid(0x05, 0x01)).bAdded);
    ASSERT_TRUE(doc.AddInfo(Valid(0x12, 0x21)).bAdded);
    ASSERT_TRUE(doc.AddInfo(Valid(0x12, 0x07)).bAdded);
    const std::size_t undoCount = doc.UndoCount();

    // Each refusal of Add Info, with its message; nothing changes.
    TunerInput badEdge = Valid(0x12, 0x21);
    badEdge.midBandStart = "0";
    badEdge.lowCode = "bad";
    EXPECT_EQ(doc.ReplaceEntry(badEdge).message, "Channel Coverage input error, try again!");
    TunerInput badCode = Valid(0x12, 0x21);
    badCode.highCode = "12G4";
    EXPECT_EQ(doc.ReplaceEntry(badCode).message, "Band Code input error, try again!");
    TunerInput noCarrier = Valid(0x12, 0x21);
    noCarrier.pictureCarrier = "";
    EXPECT_EQ(doc.ReplaceEntry(noCarrier).message, "Band Code input error, try again!");
    // A key no entry has is told and adds nothing.
    const ReplaceEntryOutcome missing = doc.ReplaceEntry(Valid(0x12, 0x08));
    EXPECT_EQ(missing.message, "There is no entry of factory 12, tuner type 08 to replace.");
    EXPECT_FALSE(missing.bReplaced);
    EXPECT_EQ(doc.UndoCount(), undoCount);
    EXPECT_EQ(doc.EntryAt(1)->dbMidBandStart(), 160.0);

    TunerInput changed = Valid(0x12, 0x21);
    changed.midBandStart = "170.5";
    changed.pictureCarrier2 = "41.25";
    const ReplaceEntryOutcome replaced = doc.ReplaceEntry(changed);
    EXPECT_TRUE(replaced.message.empty());
    EXPECT_TRUE(replaced.bReplaced);
    ASSERT_TRUE(replaced.entry.has_value());
    EXPECT_EQ(replaced.entry->dbMidBandStart(), 170.5);
    EXPECT_EQ(Keys(doc),
              (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x05, 0x01}, {0x12, 0x21}, {0x12, 0x07}}));
    EXPECT_EQ(doc.EntryAt(1)->dbMidBandStart(), 170.5);
    EXPECT_EQ(doc.EntryAt(1)->dbPictureCarrier2(), 41.25);
    EXPECT_EQ(doc.UndoCount(), undoCount + 1);
    EXPECT_EQ(doc.UndoName(), "Replace Entry");

    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.EntryAt(1)->dbMidBandStart(), 160.0);
    EXPECT_EQ(doc.EntryAt(1)->dbPictureCarrier2(), 0.0);
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.EntryAt(1)->dbMidBandStart(), 170.5);
}

// Keys are shared by different code pairs (0x10/0x01 and 0x06/0x11 give 116),
// and a loaded table need not be in key order: the entry holding the key is
// replaced where it stands.
TEST(TunerTableDocument, ReplaceEntryFindsItsKeyAnywhere)
{
    TempDir dir;
    TunerSpecTable written(true);
    std::vector<TunerSpecEntry> entries(3);
    const std::int32_t codes[3][2] = {{0x09, 0x01}, {0x06, 0x11}, {0x01, 0x01}}; // keys 109, 116, 101
    for (int i = 0; i < 3; ++i) {
        entries[i].SetFactory(codes[i][0]);
        entries[i].SetTunerType(codes[i][1]);
    }
    ASSERT_TRUE(written.AppendEntries(entries));
    ASSERT_EQ(written.Save(dir.File("unordered.tsf").c_str()), 1);
    TunerTableDocument doc;
    FileError error;
    ASSERT_EQ(doc.Load(dir.File("unordered.tsf"), error), TunerLoadResult::Read);

    ASSERT_TRUE(doc.ReplaceEntry(Valid(0x10, 0x01)).bReplaced);
    EXPECT_EQ(Keys(doc),
              (std::vector<std::pair<std::int32_t, std::int32_t>>{{0x09, 0x01}, {0x10, 0x01}, {0x01, 0x01}}));
    ASSERT_TRUE(doc.ReplaceEntry(Valid(0x01, 0x01)).bReplaced);
    EXPECT_EQ(doc.EntryAt(2)->dbHighBandEnd(), 863.0);
    EXPECT_EQ(doc.EntryAt(0)->dbHighBandEnd(), 0.0);
}

// The tuner document tells where each step changed its entries: an entry
// added goes where its key orders it, a deletion and its undo name the same
// place, a load is told as every list anew and loading the same table again
// makes no step and tells no edit.
TEST(TunerTableDocument, AnnouncementsTellWhereTheEntriesChanged)
{
    TempDir dir;
    TunerTableDocument doc;
    ASSERT_TRUE(doc.CreateNew());
    std::vector<DocumentNews> told;
    doc.Subscribe([&told](const DocumentNews& news) { told.push_back(news); });
    ASSERT_TRUE(doc.AddInfo(ValidTunerInput(3, 1)).bAdded);
    ASSERT_TRUE(doc.AddInfo(ValidTunerInput(1, 2)).bAdded);
    // Keys 103 and 201 (factory + 10 x the type's high digits + 100 x its low one).
    EXPECT_EQ(told.back().touches, (std::vector<ListTouch>{{0, 1, 0, 1}}));
    {
        const auto held = doc.HoldAnnouncements();
        ASSERT_TRUE(doc.AddInfo(ValidTunerInput(4, 1)).bAdded);
        ASSERT_TRUE(doc.DeleteTuner(1)); // 1-based: the first
    }
    EXPECT_EQ(told.back().touches, (std::vector<ListTouch>{{0, 1, 0, 1}, {0, 0, 1, 0}})); // key 104 between
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(told.back().touches, (std::vector<ListTouch>{{0, 0, 0, 1}}));

    FileError error;
    const std::string path = dir.File("t.tsf");
    ASSERT_TRUE(doc.Save(path, error));
    EXPECT_FALSE(told.back().ChangedTable());
    ASSERT_TRUE(doc.AddInfo(ValidTunerInput(5, 1)).bAdded);
    ASSERT_EQ(doc.Load(path, error), TunerLoadResult::Read);
    EXPECT_TRUE(told.back().bAllLists);
    const std::size_t edits = told.size();
    const std::size_t steps = doc.UndoCount();
    doc.Load(path, error);
    EXPECT_EQ(doc.UndoCount(), steps);
    for (std::size_t i = edits; i < told.size(); ++i)
        EXPECT_NE(told[i].change, DocumentChange::Edited);
}
