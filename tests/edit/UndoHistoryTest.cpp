// Undo and redo on the editors' documents: random command sequences checked
// against a model that remembers every state, byte for byte, and the bounds
// and the saved state of the history.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "edit/ChannelTableDocument.h"
#include "edit/TunerTableDocument.h"
#include "tables/catalogue/ChannelPlans.h"
#include "tests/TestFiles.h"

namespace {

// What a document is, as far as any command can tell: the file it would
// save, its header and end mark as held (the range fields among them), and
// the origin. Which list is shown is the view's choice, not the table's, and
// no step holds it.
struct ChannelState
{
    bool bHasTable = false;
    Bytes image;
    Bytes header;
    std::int32_t iOrigin = 0;

    bool operator==(const ChannelState& o) const
    {
        return bHasTable == o.bHasTable && image == o.image && header == o.header && iOrigin == o.iOrigin;
    }
    bool operator!=(const ChannelState& o) const { return !(*this == o); }
};

ChannelState StateOf(const ChannelTableDocument& doc)
{
    ChannelState state;
    state.bHasTable = doc.HasTable();
    if (const ChannelTable* pTable = doc.Table()) {
        state.image = pTable->FileImage();
        state.header.assign(pTable->Header().bytes, pTable->Header().bytes + ChannelTableHeader::kSize);
        state.header.insert(state.header.end(), pTable->EndMark(), pTable->EndMark() + 4);
    }
    state.iOrigin = doc.Origin();
    return state;
}

// The model: every step as the states before and after it, and how many
// are applied.
template <class State> struct HistoryModel
{
    std::vector<std::pair<State, State>> steps;
    std::size_t applied = 0;

    // A command that changes nothing is no step, but a table put in place is
    // one even when it holds what the one before held.
    void Record(const State& before, const State& after, bool bPutsTable = false)
    {
        if (before == after && !bPutsTable)
            return;
        steps.resize(applied);
        steps.emplace_back(before, after);
        ++applied;
    }
};

// Undoes every step, checking each state on the way down to the very first,
// redoes every step up to the newest, then goes back to where it was.
template <class Document, class State, class StateFn>
void CheckWholeHistory(Document& doc, const HistoryModel<State>& model, StateFn stateOf)
{
    ASSERT_EQ(doc.UndoCount(), model.applied);
    ASSERT_EQ(doc.RedoCount(), model.steps.size() - model.applied);
    for (std::size_t k = model.applied; k > 0; --k) {
        ASSERT_TRUE(doc.Undo());
        ASSERT_TRUE(stateOf(doc) == model.steps[k - 1].first) << "undo of step " << k;
    }
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_FALSE(doc.Undo());
    for (std::size_t k = 0; k < model.steps.size(); ++k) {
        ASSERT_TRUE(doc.Redo());
        ASSERT_TRUE(stateOf(doc) == model.steps[k].second) << "redo of step " << k + 1;
    }
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_FALSE(doc.Redo());
    for (std::size_t k = model.steps.size(); k > model.applied; --k) {
        ASSERT_TRUE(doc.Undo());
        ASSERT_TRUE(stateOf(doc) == model.steps[k - 1].first);
    }
}

unsigned Below(std::mt19937& rng, std::uint64_t n)
{
    return static_cast<unsigned>(rng() % n);
}

double RandomFrequency(std::mt19937& rng)
{
    switch (Below(rng, 8)) {
    case 0: return 0.0;
    case 1: return -1.5;
    case 2: {
        // A NaN with a payload of its own: kept bit for bit like any value.
        std::uint64_t bits = 0x7FF8000000000000ull | Below(rng, 0x10000);
        double db = 0;
        std::memcpy(&db, &bits, sizeof db);
        return db;
    }
    case 3: return 55.25; // repeated values make the changed middle ambiguous
    default: return 40.0 + static_cast<double>(Below(rng, 80000)) / 100.0;
    }
}

std::vector<double> Frequencies(std::size_t n, double dbFirst)
{
    std::vector<double> values(n);
    for (std::size_t i = 0; i < n; ++i)
        values[i] = dbFirst + 0.25 * static_cast<double>(i);
    return values;
}

class ChannelHistoryProperty
{
public:
    // plansDir holds a person's own plans, for Fill This List.
    ChannelHistoryProperty(unsigned seed, std::vector<std::string> files, const std::string& plansDir)
        : m_rng(seed), m_files(std::move(files)), m_plans(PlanLibrary::Load("", plansDir))
    {
    }

    // One random command, or an undo or a redo, with the model kept alongside.
    void Step()
    {
        const unsigned pick = Below(m_rng, 125);
        if (pick < 8) {
            if (m_model.applied > 0) {
                ASSERT_TRUE(m_doc.Undo());
                --m_model.applied;
                ASSERT_TRUE(StateOf(m_doc) == m_model.steps[m_model.applied].first);
            }
            return;
        }
        if (pick < 13) {
            if (m_model.applied < m_model.steps.size()) {
                ASSERT_TRUE(m_doc.Redo());
                ASSERT_TRUE(StateOf(m_doc) == m_model.steps[m_model.applied].second);
                ++m_model.applied;
            }
            return;
        }
        if (pick < 18) {
            // Choosing a list is no change to the table and no step.
            const std::size_t before = m_doc.UndoCount();
            m_doc.SetMode(static_cast<std::int32_t>(Below(m_rng, 4)) - 1);
            EXPECT_EQ(m_doc.UndoCount(), before);
            return;
        }
        const ChannelState before = StateOf(m_doc);
        bool bPutsTable = false;
        if (pick >= 120) {
            // Several commands in one step, as the editor's own commands make
            // them: undo takes all of them back at once.
            const ChannelTableDocument::StepScope step = m_doc.BeginStep("Several");
            for (unsigned n = 2 + Below(m_rng, 3); n > 0; --n)
                bPutsTable = Command(18 + Below(m_rng, 102)) || bPutsTable;
        } else {
            bPutsTable = Command(pick);
        }
        m_model.Record(before, StateOf(m_doc), bPutsTable);
        ASSERT_NO_FATAL_FAILURE(CheckCurrentList());
    }

    void CheckAll()
    {
        CheckWholeHistory(m_doc, m_model, StateOf);
        CheckCurrentList();
    }
    // The list the view shows is the table's, bit for bit, whichever way it
    // was obtained.
    void CheckCurrentList()
    {
        std::vector<std::uint64_t> walked, shown;
        if (const ChannelTable* pTable = m_doc.Table()) {
            for (const ChannelNode& channel : pTable->Channels(m_doc.Mode()))
                walked.push_back(Bits(channel.dbFrequency));
        }
        for (double db : m_doc.CurrentFrequencies())
            shown.push_back(Bits(db));
        ASSERT_EQ(shown, walked);
    }
    static std::uint64_t Bits(double db)
    {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &db, sizeof bits);
        return bits;
    }
    bool Load(const std::string& path)
    {
        const ChannelState before = StateOf(m_doc);
        FileError error;
        const bool bLoaded = m_doc.Load(path, error);
        m_model.Record(before, StateOf(m_doc), bLoaded);
        return bLoaded;
    }
    ChannelTableDocument& Document() { return m_doc; }
    std::size_t StepCount() const { return m_model.steps.size(); }

private:
    std::int32_t Count() const { return static_cast<std::int32_t>(m_doc.CurrentFrequencies().size()); }

    // A channel number at the edges as often as inside, and just outside them.
    std::int32_t Channel()
    {
        const std::int32_t n = Count();
        switch (Below(m_rng, 6)) {
        case 0: return 1;
        case 1: return n;
        case 2: return n + 1;
        case 3: return 0;
        default: return n > 0 ? 1 + static_cast<std::int32_t>(Below(m_rng, static_cast<unsigned>(n))) : 1;
        }
    }

    // Whether the command put a table in place.
    bool Command(unsigned pick)
    {
        FileError error;
        if (pick < 33) {
            m_doc.Append(RandomFrequency(m_rng));
        } else if (pick < 43) {
            m_doc.SetFrequency(Channel(), RandomFrequency(m_rng));
        } else if (pick < 53) {
            m_doc.InsertBlank(Channel());
        } else if (pick < 63) {
            m_doc.Delete(Channel());
        } else if (pick < 75) {
            DeleteMany();
        } else if (pick < 82) {
            m_doc.SetCountryCode(static_cast<std::int32_t>(Below(m_rng, 5)) - 1);
        } else if (pick < 90) {
            m_doc.CreateNew();
        } else if (pick < 100) {
            // A file that is missing is a load that fails and changes nothing.
            return m_doc.Load(AFile(), error);
        } else if (pick < 104) {
            return m_doc.Restore(AFile(), RestoreOrigin(), error);
        } else if (pick < 110) {
            Paste();
        } else if (pick < 116) {
            BulkEdit();
        } else {
            return Transfer();
        }
        return false;
    }

    std::string AFile()
    {
        const std::size_t which = Below(m_rng, m_files.size() + 1);
        return which < m_files.size() ? m_files[which] : m_files[0] + ".missing";
    }

    std::vector<double> RandomFrequencies(unsigned most)
    {
        std::vector<double> frequencies(Below(m_rng, most + 1));
        for (double& dbFrequency : frequencies)
            dbFrequency = RandomFrequency(m_rng);
        return frequencies;
    }

    void Paste()
    {
        if (Below(m_rng, 2) == 0)
            m_doc.PasteChannels(Channel(), RandomFrequencies(6));
        else
            m_doc.PasteChannels(Count() + 1, RandomFrequencies(6), ChannelTableDocument::kPasteAtEndStepName);
    }

    // Ascending chosen channels, now and then one outside the list.
    std::vector<std::int32_t> Chosen()
    {
        std::vector<std::int32_t> channels;
        for (std::int32_t i = 1; i <= Count(); ++i)
            if (Below(m_rng, 3) == 0)
                channels.push_back(i);
        if (Below(m_rng, 8) == 0)
            channels.push_back(Count() + 1);
        return channels;
    }

    void BulkEdit()
    {
        const std::vector<std::int32_t> channels = Chosen();
        switch (Below(m_rng, 8)) {
        case 0: m_doc.MoveUp(channels); break;
        case 1: m_doc.MoveDown(channels); break;
        case 2: m_doc.MoveToChannel(channels, Channel()); break;
        case 3: m_doc.OffsetFrequencies(channels, 0.25); break;
        case 4: m_doc.RoundFrequencies(channels, FrequencyStep::Kilohertz250); break;
        case 5: m_doc.ClearToEmptySlot(channels); break;
        case 6: m_doc.SortByFrequency(channels); break;
        default: m_doc.FillRaster(channels, 471.25, 8.0, static_cast<std::int32_t>(Below(m_rng, 5))); break;
        }
    }

    // Import of a whole table or of one list, and the plans: whether a table
    // was put in place.
    bool Transfer()
    {
        PlanProblem problem;
        switch (Below(m_rng, 5)) {
        case 0: {
            auto pTable = std::make_unique<ChannelTable>(true);
            pTable->AppendFrequencies(ChannelModeAir, RandomFrequencies(5));
            pTable->AppendFrequencies(ChannelModeCable, RandomFrequencies(5));
            pTable->SetCountryCode(static_cast<std::int32_t>(Below(m_rng, 90)));
            return m_doc.Import(std::move(pTable));
        }
        case 1: m_doc.ReplaceList(static_cast<std::int32_t>(Below(m_rng, 2)), RandomFrequencies(8)); return false;
        case 2: return m_doc.NewFromPlan(PlanOf(problem));
        default: m_doc.FillListFromPlan(m_plans.Plans().front(), problem); return false;
        }
    }

    ChannelPlan PlanOf(PlanProblem& problem)
    {
        ChannelPlan plan;
        ParseChannelPlan("channel,frequency_mhz\nE2,48.25\nE4,62.25\n", plan, problem);
        return plan;
    }

    // A run at the start, a run at the end, both ends, or scattered rows.
    void DeleteMany()
    {
        const std::int32_t n = Count();
        if (n == 0) {
            m_doc.DeleteMany({1});
            return;
        }
        std::vector<std::int32_t> channels;
        const std::int32_t run = 1 + static_cast<std::int32_t>(Below(m_rng, static_cast<unsigned>(n)));
        switch (Below(m_rng, 4)) {
        case 0:
            for (std::int32_t i = 1; i <= run; ++i)
                channels.push_back(i);
            break;
        case 1:
            for (std::int32_t i = n - run + 1; i <= n; ++i)
                channels.push_back(i);
            break;
        case 2:
            channels.push_back(1);
            if (n > 1)
                channels.push_back(n);
            break;
        default:
            for (std::int32_t i = 1; i <= n; ++i)
                if (Below(m_rng, 3) == 0)
                    channels.push_back(i);
            if (channels.empty())
                channels.push_back(n);
            // Numbers outside the list are refused, as the table refuses them.
            if (Below(m_rng, 2) == 0) {
                channels.insert(channels.begin(), 0);
                channels.push_back(n + 1);
            }
            break;
        }
        m_doc.DeleteMany(channels);
    }

    std::mt19937 m_rng;
    std::vector<std::string> m_files;
    PlanLibrary m_plans;
    ChannelTableDocument m_doc;
    HistoryModel<ChannelState> m_model;
};

std::vector<std::string> WriteChannelFiles(const TempDir& dir, bool bLargest)
{
    std::vector<std::string> files;
    const auto add = [&](const std::string& name, const Bytes& image) {
        files.push_back(dir.File(name));
        WriteAll(files.back(), image);
    };
    add("small.ccf", ChannelTableImage(44, Frequencies(12, 45.0), Frequencies(5, 100.0), 3, 1));
    add("empty.ccf", ChannelTableImage(0, {}, {}, 0, 0));
    add("cable-only.ccf", ChannelTableImage(-7, {}, Frequencies(40, 60.0), 0, 9));
    if (bLargest)
        add("largest.ccf", ChannelTableImage(1, Frequencies(65535, 40.0), Frequencies(65535, 47.0), 1, 65535));
    std::filesystem::create_directory(dir.File("plans"));
    const std::string plan = "channel,frequency_mhz\nR1,49.75\nR3,77.25\nR5,93.25\n";
    WriteAll(dir.File("plans/mine.csv"), Bytes(plan.begin(), plan.end()));
    return files;
}

} // namespace

TEST(ChannelDocumentHistory, RandomCommandsUndoToTheFirstImageAndRedoToTheLast)
{
    TempDir dir;
    const std::vector<std::string> files = WriteChannelFiles(dir, false);
    for (unsigned seed = 1; seed <= 12; ++seed) {
        ChannelHistoryProperty property(seed, files, dir.File("plans"));
        for (int i = 0; i < 120; ++i) {
            ASSERT_NO_FATAL_FAILURE(property.Step()) << "seed " << seed << " command " << i;
            ASSERT_NO_FATAL_FAILURE(property.CheckAll()) << "seed " << seed << " command " << i;
        }
        EXPECT_GT(property.StepCount(), 20u) << "seed " << seed;
    }
}

TEST(ChannelDocumentHistory, RandomCommandsOnTheLargestTableUndoAndRedoExactly)
{
    TempDir dir;
    const std::vector<std::string> files = WriteChannelFiles(dir, true);
    for (unsigned seed = 100; seed < 103; ++seed) {
        ChannelHistoryProperty property(seed, files, dir.File("plans"));
        // Both lists full before anything else happens.
        ASSERT_TRUE(property.Load(files.back()));
        for (int i = 0; i < 14; ++i) {
            ASSERT_NO_FATAL_FAILURE(property.Step()) << "seed " << seed << " command " << i;
            ASSERT_NO_FATAL_FAILURE(property.CheckAll()) << "seed " << seed << " command " << i;
        }
    }
}

TEST(ChannelDocumentHistory, DeletionsAtBothEndsComeBackWithTheStoredRange)
{
    TempDir dir;
    const std::string path = dir.File("t.ccf");
    // A stored minimum of 5 that a deletion keeps.
    WriteAll(path, ChannelTableImage(33, Frequencies(10, 50.0), {}, 5, 0));
    ChannelTableDocument doc;
    FileError error;
    ASSERT_TRUE(doc.Load(path, error));
    const Bytes loaded = ReadAll(path);
    ASSERT_EQ(doc.Table()->FileImage(), loaded);
    const ChannelRange range = doc.Range(ChannelModeAir);

    EXPECT_TRUE(doc.Delete(1));
    EXPECT_TRUE(doc.Delete(9));
    EXPECT_EQ(doc.DeleteMany({1, 2, 3, 4, 5, 6, 7, 8}), 8);
    EXPECT_TRUE(doc.CurrentFrequencies().empty());
    EXPECT_EQ(doc.UndoName(), "Delete Item");
    EXPECT_EQ(doc.UndoCount(), 4u); // the load, then the three deletions

    ASSERT_TRUE(doc.Undo());
    ASSERT_TRUE(doc.Undo());
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.Table()->FileImage(), loaded);
    EXPECT_EQ(doc.Range(ChannelModeAir).iMin, range.iMin);
    EXPECT_EQ(doc.Range(ChannelModeAir).iMax, range.iMax);
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(doc.RedoName(), "Delete Item");
}

// One step that puts a table in place and then edits its lists, as a list
// imported into an editor without a table does: undo takes the edits back
// from the new table before the old one returns, redo does it the other way.
TEST(ChannelDocumentHistory, AStepThatPutsATableInPlaceThenEditsItUndoesAndRedoesExactly)
{
    TempDir dir;
    const std::string path = dir.File("t.ccf");
    WriteAll(path, ChannelTableImage(49, Frequencies(3, 50.0), Frequencies(2, 80.0), 1, 1));
    ChannelTableDocument doc;
    FileError error;
    ASSERT_TRUE(doc.Load(path, error));
    ASSERT_TRUE(doc.Delete(2));
    const ChannelState edited = StateOf(doc);
    ChannelState created;
    {
        const ChannelTableDocument::StepScope step = doc.BeginStep({});
        ASSERT_TRUE(doc.CreateNew());
        ASSERT_TRUE(doc.ReplaceList(ChannelModeAir, {55.25, 0.0, 62.25}));
        doc.SetMode(ChannelModeCable);
        ASSERT_TRUE(doc.Append(175.25));
        created = StateOf(doc);
    }
    EXPECT_EQ(doc.UndoName(), "Create New");
    ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(StateOf(doc) == edited);
    // The cable list stays shown: the loaded table's cable channels.
    EXPECT_EQ(doc.Mode(), ChannelModeCable);
    EXPECT_EQ(doc.CurrentFrequencies(), (std::vector<double>{80.0, 80.25}));
    ASSERT_TRUE(doc.Redo());
    EXPECT_TRUE(StateOf(doc) == created);
    EXPECT_EQ(doc.CurrentFrequencies(), (std::vector<double>{175.25}));
    ASSERT_TRUE(doc.Undo());
    ASSERT_TRUE(doc.Undo());
    ASSERT_TRUE(doc.Undo());
    EXPECT_FALSE(doc.HasTable());
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.Table()->FileImage(), ReadAll(path));
}

TEST(ChannelDocumentHistory, UndoOfALoadOrCreateNewBringsBackTheReplacedTable)
{
    TempDir dir;
    const std::string path = dir.File("t.ccf");
    WriteAll(path, ChannelTableImage(49, Frequencies(3, 50.0), Frequencies(2, 80.0), 1, 1));
    ChannelTableDocument doc;
    ASSERT_TRUE(doc.CreateNew());
    ASSERT_TRUE(doc.Append(61.25));
    ASSERT_TRUE(doc.SetCountryCode(81));
    const ChannelState created = StateOf(doc);
    FileError error;
    ASSERT_TRUE(doc.Load(path, error));
    EXPECT_EQ(doc.Origin(), TableOriginLoaded);
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_TRUE(doc.CurrentFrequencies().empty());
    EXPECT_EQ(doc.UndoName(), "Create New");

    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.Origin(), TableOriginLoaded);
    EXPECT_EQ(doc.Table()->FileImage(), ReadAll(path));
    EXPECT_EQ(doc.UndoName(), "LoadFromFile");
    ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(StateOf(doc) == created);
    EXPECT_EQ(doc.CountryCode(), 81);
    // Back past the first Create New: no table, as the editor opened.
    ASSERT_TRUE(doc.Undo());
    ASSERT_TRUE(doc.Undo());
    ASSERT_TRUE(doc.Undo());
    EXPECT_FALSE(doc.HasTable());
    EXPECT_EQ(doc.Origin(), TableOriginNone);
    // The list shown is no part of a step: it stays as the last command chose it.
    EXPECT_EQ(doc.Mode(), ChannelModeAir);
    EXPECT_FALSE(doc.Modified());
    EXPECT_FALSE(doc.CanUndo());
}

TEST(ChannelDocumentHistory, ModifiedFollowsLoadSaveCreateNewAndUndoToTheSavedStep)
{
    TempDir dir;
    ChannelTableDocument doc;
    EXPECT_FALSE(doc.Modified());
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_FALSE(doc.Modified());
    ASSERT_TRUE(doc.Append(50.0));
    EXPECT_TRUE(doc.Modified());
    FileError error;
    ASSERT_TRUE(doc.Save(dir.File("a.ccf"), error));
    EXPECT_FALSE(doc.Modified());
    ASSERT_TRUE(doc.Append(51.0));
    EXPECT_TRUE(doc.Modified());
    ASSERT_TRUE(doc.Undo());
    EXPECT_FALSE(doc.Modified());
    ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(doc.Modified());
    ASSERT_TRUE(doc.Redo());
    EXPECT_FALSE(doc.Modified());
    // A new step after an undo makes the saved state unreachable by redo.
    ASSERT_TRUE(doc.Undo());
    ASSERT_TRUE(doc.Append(52.0));
    EXPECT_TRUE(doc.Modified());
    EXPECT_FALSE(doc.CanRedo());
    // "Create New" that keeps the created table keeps its unsaved channels unsaved.
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_TRUE(doc.Modified());

    ASSERT_TRUE(doc.Load(dir.File("a.ccf"), error));
    EXPECT_FALSE(doc.Modified());
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_FALSE(doc.Modified());
    ASSERT_TRUE(doc.Restore(dir.File("a.ccf"), RestoreOrigin(), error));
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.UndoName(), "Restore Unsaved Table");
    EXPECT_EQ(doc.Origin(), TableOriginLoaded);
    // Refused input is no step.
    const std::size_t steps = doc.UndoCount();
    EXPECT_FALSE(doc.SetCountryCode(0));
    EXPECT_FALSE(doc.Delete(99));
    EXPECT_FALSE(doc.Load(dir.File("missing.ccf"), error));
    EXPECT_EQ(doc.UndoCount(), steps);
}

TEST(ChannelDocumentHistory, KeepsAThousandStepsAndNoMoreThan64MiB)
{
    ChannelTableDocument doc;
    ASSERT_TRUE(doc.CreateNew());
    for (int i = 0; i < 1500; ++i)
        ASSERT_TRUE(doc.Append(40.0 + i));
    EXPECT_EQ(doc.UndoCount(), 1501u); // Create New and every append
    EXPECT_LT(doc.HistoryBytes(), 1024u * 1024u);
    // A step counts what it holds to put the list back: the 30,000 deleted
    // values at least, and no whole copies of the list.
    ASSERT_TRUE(doc.ReplaceList(ChannelModeAir, Frequencies(65535, 40.0)));
    std::vector<std::int32_t> everyOther;
    for (std::int32_t i = 1; i <= 60000; i += 2)
        everyOther.push_back(i);
    const std::size_t bytesBefore = doc.HistoryBytes();
    ASSERT_EQ(doc.DeleteMany(everyOther), 30000);
    EXPECT_GE(doc.HistoryBytes() - bytesBefore, 30000u * sizeof(double));
    EXPECT_LE(doc.HistoryBytes() - bytesBefore, 2u * 65535u * sizeof(double));
    doc.Reset();
    EXPECT_EQ(doc.UndoCount(), 0u);

    // Each load and Create New of the largest table holds a whole table of
    // 131,070 channels, about 5 MiB, which undo puts back as it was.
    TempDir dir;
    const std::string path = dir.File("largest.ccf");
    WriteAll(path, ChannelTableImage(1, Frequencies(65535, 40.0), Frequencies(65535, 47.0), 1, 1));
    FileError error;
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(doc.Load(path, error));
        ASSERT_TRUE(doc.CreateNew());
        ASSERT_TRUE(doc.Append(50.0));
        ASSERT_LE(doc.HistoryBytes(), 64u * 1024u * 1024u);
    }
    EXPECT_LT(doc.UndoCount(), 40u);
    EXPECT_GT(doc.UndoCount(), 15u);
    EXPECT_GT(doc.HistoryBytes(), 48u * 1024u * 1024u);
    // The oldest went first: what is left still undoes to a table the person
    // had, whichever step is the oldest kept: the loaded one, or a created one
    // before or after its channel was added.
    while (doc.CanUndo())
        ASSERT_TRUE(doc.Undo());
    ASSERT_TRUE(doc.HasTable());
    ChannelTableDocument created;
    ASSERT_TRUE(created.CreateNew());
    const Bytes empty = created.Table()->FileImage();
    ASSERT_TRUE(created.Append(50.0));
    const Bytes withOne = created.Table()->FileImage();
    const Bytes image = doc.Table()->FileImage();
    EXPECT_TRUE(image == ReadAll(path) || image == empty || image == withOne);
}

TEST(ChannelDocumentHistory, ListenersAreToldOnceACommandIsWholeAndStepsHoldNoDisplays)
{
    ChannelTableDocument doc;
    std::vector<DocumentChange> first, second;
    const int iFirst = doc.Subscribe([&first](const DocumentNews& news) { first.push_back(news.change); });
    doc.Subscribe([&second](const DocumentNews& news) { second.push_back(news.change); });
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_EQ(first, (std::vector<DocumentChange>{DocumentChange::Replaced, DocumentChange::Edited}));
    first.clear();
    second.clear();
    {
        const ChannelTableDocument::StepScope step = doc.BeginStep({});
        ASSERT_TRUE(doc.Append(55.25));
        ASSERT_TRUE(doc.SetFrequency(1, 61.25));
        EXPECT_FALSE(doc.CanUndo()); // nothing is undone half-way through a command
        EXPECT_TRUE(first.empty());  // nor told
    }
    EXPECT_EQ(first, std::vector<DocumentChange>{DocumentChange::Edited});
    EXPECT_EQ(second, first);
    EXPECT_EQ(doc.UndoName(), "Add to the end");

    // Choosing a list alone is announced as such, and makes no step.
    first.clear();
    doc.SetMode(ChannelModeAir); // unchanged: nothing to tell
    doc.SetMode(ChannelModeCable);
    EXPECT_EQ(first, std::vector<DocumentChange>{DocumentChange::Shown});
    EXPECT_EQ(doc.UndoCount(), 2u);
    doc.SetMode(ChannelModeAir);

    // Undo takes back the table only, and tells those still listening.
    doc.Unsubscribe(iFirst);
    first.clear();
    ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(second.back(), DocumentChange::Edited);
    EXPECT_EQ(doc.Mode(), ChannelModeAir);
    EXPECT_TRUE(doc.CurrentFrequencies().empty());
}

// Commands under one hold are steps of their own, told once, with where each
// changed the lists; undo tells where it changed them back, a save that
// nothing changed, a load that every list is new.
TEST(ChannelDocumentHistory, HeldAnnouncementsTellOnceWhereEachStepChangedTheLists)
{
    TempDir dir;
    ChannelTableDocument doc;
    ASSERT_TRUE(doc.CreateNew());
    std::vector<DocumentNews> told;
    doc.Subscribe([&told](const DocumentNews& news) { told.push_back(news); });
    const auto lastTouches = [&told] { return told.back().touches; };
    {
        const auto held = doc.HoldAnnouncements();
        ASSERT_TRUE(doc.Append(55.25));
        ASSERT_TRUE(doc.Append(62.25));
        ASSERT_TRUE(doc.SetFrequency(1, 61.25));
        doc.SetMode(ChannelModeCable);
        EXPECT_TRUE(told.empty());
        EXPECT_TRUE(doc.CanUndo()); // the steps are made; only the telling waits
    }
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].change, DocumentChange::Edited);
    EXPECT_EQ(lastTouches(), (std::vector<ListTouch>{
                                 {ChannelModeAir, 0, 0, 1}, {ChannelModeAir, 1, 0, 1}, {ChannelModeAir, 0, 1, 1}}));
    EXPECT_FALSE(told[0].bAllLists);
    EXPECT_EQ(doc.UndoCount(), 4u);

    // Only the list shown, under a hold: told as such, once.
    {
        const auto held = doc.HoldAnnouncements();
        doc.SetMode(ChannelModeAir);
        doc.SetMode(ChannelModeCable);
    }
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1].change, DocumentChange::Shown);
    EXPECT_FALSE(told[1].ChangedTable());

    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(lastTouches(), (std::vector<ListTouch>{{ChannelModeAir, 0, 1, 1}}));
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(lastTouches(), (std::vector<ListTouch>{{ChannelModeAir, 1, 1, 0}}));
    EXPECT_TRUE(told.back().ChangedList(ChannelModeAir));
    EXPECT_FALSE(told.back().ChangedList(ChannelModeCable));

    ASSERT_TRUE(doc.SetCountryCode(49));
    EXPECT_TRUE(told.back().bHeaderChanged);
    EXPECT_TRUE(told.back().touches.empty());

    FileError error;
    const std::string path = dir.File("t.ccf");
    ASSERT_TRUE(doc.Save(path, error));
    EXPECT_EQ(told.back().change, DocumentChange::Edited);
    EXPECT_FALSE(told.back().ChangedTable());

    ASSERT_TRUE(doc.Load(path, error));
    EXPECT_EQ(told.back().change, DocumentChange::Edited);
    EXPECT_TRUE(told.back().bAllLists);
    EXPECT_TRUE(told.back().ChangedList(ChannelModeCable));

    // A step of more changes than a view follows one by one: every list anew.
    const auto kChannels = static_cast<std::int32_t>(2 * DocumentNews::kMostTouches + 2);
    ASSERT_TRUE(doc.ReplaceList(ChannelModeAir, std::vector<double>(static_cast<std::size_t>(kChannels), 100.0)));
    doc.SetMode(ChannelModeAir);
    {
        const ChannelTableDocument::StepScope step = doc.BeginStep("Every other channel");
        for (std::int32_t channel = 1; channel <= kChannels; channel += 2)
            ASSERT_TRUE(doc.SetFrequency(channel, 101.0));
    }
    EXPECT_TRUE(told.back().bAllLists);
    EXPECT_TRUE(told.back().touches.empty());
    ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(told.back().bAllLists);
}

TEST(ChannelDocumentHistory, UndoKeepsTheListShownUnlessTheStepChangedOnlyTheOther)
{
    ChannelTableDocument doc;
    ASSERT_TRUE(doc.CreateNew());
    doc.SetMode(ChannelModeCable);
    ASSERT_TRUE(doc.Append(112.25));
    doc.SetMode(ChannelModeAir);
    const std::uint64_t shape = doc.ListShape();
    ASSERT_TRUE(doc.Undo()); // the cable channel goes, and the cable list is shown
    EXPECT_EQ(doc.Mode(), ChannelModeCable);
    EXPECT_GT(doc.ListShape(), shape);
    ASSERT_TRUE(doc.Undo()); // "Create New" taken back: no table, the mode stays
    EXPECT_FALSE(doc.HasTable());
    EXPECT_EQ(doc.Mode(), ChannelModeCable);
    ASSERT_TRUE(doc.Redo());
    EXPECT_TRUE(doc.HasTable());
    EXPECT_EQ(doc.Mode(), ChannelModeCable);
}

TEST(ChannelDocumentHistory, ARefusedCountryCodeIsNoStep)
{
    ChannelTableDocument doc;
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_TRUE(doc.SetCountryCode(49));
    EXPECT_FALSE(doc.SetCountryCode(-7));
    EXPECT_EQ(doc.CountryCode(), 49);
    EXPECT_EQ(doc.UndoCount(), 2u);
    ASSERT_TRUE(doc.Undo()); // the code 49 taken back
    EXPECT_EQ(doc.CountryCode(), 0);
}

// The tuner editor's documents.

namespace {

struct TunerState
{
    bool bHasTable = false;
    Bytes image;
    Bytes header;

    bool operator==(const TunerState& o) const
    {
        return bHasTable == o.bHasTable && image == o.image && header == o.header;
    }
    bool operator!=(const TunerState& o) const { return !(*this == o); }
};

TunerState TunerStateOf(const TunerTableDocument& doc)
{
    TunerState state;
    state.bHasTable = doc.HasTable();
    if (const TunerSpecTable* pTable = doc.Table()) {
        state.image = pTable->FileImage();
        state.header.assign(pTable->Header().bytes, pTable->Header().bytes + TunerSpecHeader::kSize);
        state.header.insert(state.header.end(), pTable->EndMark(), pTable->EndMark() + 4);
    }
    return state;
}

TunerInput Input(std::int32_t iFactory, std::int32_t iType, bool bValid = true)
{
    TunerInput in;
    in.iFactory = iFactory;
    in.iTunerType = iType;
    in.lowBandStart = "48.25";
    in.midBandStart = "160";
    in.highBandStart = "450";
    in.highBandEnd = bValid ? "860" : "0";
    in.lowCode = "00a1";
    in.midCode = "0092";
    in.highCode = "0034";
    in.pictureCarrier = "38.9";
    in.pictureCarrier2 = "";
    return in;
}

} // namespace

TEST(TunerDocumentHistory, RandomCommandsUndoToTheFirstImageAndRedoToTheLast)
{
    TempDir dir;
    TunerTableDocument source;
    ASSERT_TRUE(source.CreateNew());
    for (int i = 0; i < 30; ++i)
        source.AddInfo(Input(1 + i % 4, i));
    FileError error;
    ASSERT_TRUE(source.Save(dir.File("thirty.tsf"), error));
    const std::vector<std::string> files = {dir.File("thirty.tsf"), dir.File("missing.tsf")};

    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        TunerTableDocument doc;
        HistoryModel<TunerState> model;
        for (int i = 0; i < 120; ++i) {
            const unsigned pick = Below(rng, 100);
            if (pick < 10 && model.applied > 0) {
                ASSERT_TRUE(doc.Undo());
                --model.applied;
                ASSERT_TRUE(TunerStateOf(doc) == model.steps[model.applied].first);
            } else if (pick < 16 && model.applied < model.steps.size()) {
                ASSERT_TRUE(doc.Redo());
                ASSERT_TRUE(TunerStateOf(doc) == model.steps[model.applied].second);
                ++model.applied;
            } else if (pick >= 16) {
                const TunerState before = TunerStateOf(doc);
                FileError loadError;
                if (pick < 60) {
                    doc.AddInfo(Input(static_cast<std::int32_t>(Below(rng, 5)),
                                      static_cast<std::int32_t>(Below(rng, 40)), Below(rng, 8) != 0));
                } else if (pick < 82) {
                    const std::int32_t n = static_cast<std::int32_t>(doc.Rows().size());
                    const std::int32_t choices[] = {
                        0, 1, n, n + 1,
                        n > 0 ? 1 + static_cast<std::int32_t>(Below(rng, static_cast<std::uint64_t>(n))) : 1};
                    doc.DeleteTuner(choices[Below(rng, 5)]);
                } else if (pick < 88) {
                    doc.CreateNew();
                } else if (pick < 92) {
                    doc.Load(files[Below(rng, files.size())], loadError);
                } else if (pick < 94) {
                    doc.Restore(files[Below(rng, files.size())], RestoreOrigin(), loadError);
                } else if (pick < 97) {
                    doc.ReplaceEntry(Input(static_cast<std::int32_t>(Below(rng, 5)),
                                           static_cast<std::int32_t>(Below(rng, 40)), Below(rng, 8) != 0));
                } else {
                    // Several commands as one step.
                    const TunerTableDocument::StepScope step = doc.BeginStep("Several");
                    doc.AddInfo(Input(7, static_cast<std::int32_t>(Below(rng, 40))));
                    doc.DeleteTuner(1);
                    doc.AddInfo(Input(8, static_cast<std::int32_t>(Below(rng, 40))));
                }
                model.Record(before, TunerStateOf(doc));
            }
            // The image the views share is the table's as it stands now.
            ASSERT_TRUE(doc.HasTable() ? *doc.SharedFileImage() == doc.Table()->FileImage() : !doc.SharedFileImage())
                << "seed " << seed << " at " << i;
            ASSERT_NO_FATAL_FAILURE(CheckWholeHistory(doc, model, TunerStateOf)) << "seed " << seed << " at " << i;
        }
        EXPECT_GT(model.steps.size(), 30u);
    }
}

TEST(TunerDocumentHistory, ModifiedFollowsLoadSaveCreateNewAndUndo)
{
    TempDir dir;
    TunerTableDocument doc;
    ASSERT_TRUE(doc.CreateNew());
    EXPECT_FALSE(doc.Modified());
    ASSERT_TRUE(doc.AddInfo(Input(1, 1)).bAdded);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.UndoName(), "Add Info");
    FileError error;
    ASSERT_TRUE(doc.Save(dir.File("a.tsf"), error));
    EXPECT_FALSE(doc.Modified());
    ASSERT_TRUE(doc.DeleteTuner(1));
    EXPECT_EQ(doc.UndoName(), "Delete Tuner");
    EXPECT_TRUE(doc.Modified());
    ASSERT_TRUE(doc.Undo());
    EXPECT_FALSE(doc.Modified());
    ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(doc.Modified());
    EXPECT_TRUE(doc.Rows().empty());
    // A refused entry and a taken key are no steps.
    const std::size_t steps = doc.UndoCount();
    doc.AddInfo(Input(1, 1, false));
    ASSERT_TRUE(doc.Redo());
    doc.AddInfo(Input(1, 1));
    EXPECT_EQ(doc.UndoCount(), steps + 1);

    ASSERT_TRUE(doc.Restore(dir.File("a.tsf"), RestoreOrigin(), error));
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.UndoName(), "Restore Unsaved Table");
    ASSERT_EQ(doc.Load(dir.File("a.tsf"), error), TunerLoadResult::Read);
    EXPECT_FALSE(doc.Modified());
}
