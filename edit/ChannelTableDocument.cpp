#include "edit/ChannelTableDocument.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include "edit/TableOperations.h"
#include "tables/format/EntryRange.h"

namespace {

// What a table and the values of its lists take, about.
std::size_t HeldBytes(const ChannelTable* pTable)
{
    if (!pTable)
        return 0;
    const auto channels = static_cast<std::size_t>(pTable->Channels(ChannelModeAir).size()) +
                          static_cast<std::size_t>(pTable->Channels(ChannelModeCable).size());
    // Nodes come from a pool, without a heap block each.
    return sizeof(ChannelTable) + channels * (sizeof(ChannelNode) + sizeof(FrequencyBits));
}

} // namespace

bool ChannelDocumentFields::operator==(const ChannelDocumentFields& other) const
{
    return bHasTable == other.bHasTable && std::memcmp(header.bytes, other.header.bytes, sizeof header.bytes) == 0 &&
           std::memcmp(endMark, other.endMark, sizeof endMark) == 0 && iOrigin == other.iOrigin;
}

std::size_t ChannelStep::Bytes() const
{
    return sizeof(ChannelStep) + name.capacity() + changes.Bytes();
}

ChannelTableDocument::~ChannelTableDocument() = default;

ChannelTableDocument::StepScope ChannelTableDocument::BeginStep(std::string name)
{
    // An unnamed scope joins commands into one step, which the first named
    // one names.
    if (InScope() && m_pending.name.empty())
        m_pending.name = name;
    if (OpenScope()) {
        m_pending.name = std::move(name);
        m_pending.fields = Fields();
        m_pending.file = m_saveFile;
    }
    m_scopes.push_back(MarkScope());
    return StepScope(*this);
}

bool ChannelTableDocument::ShowsList() const
{
    return m_iMode == ChannelModeAir || m_iMode == ChannelModeCable;
}

std::int32_t ChannelTableDocument::CurrentCount() const
{
    return m_pTable && ShowsList() ? m_pTable->Channels(m_iMode).size() : 0;
}

ChannelTableDocument::ScopeMark ChannelTableDocument::MarkScope() const
{
    return ScopeMark{m_pTable.get(), m_iMode, CurrentCount()};
}

void ChannelTableDocument::NoteListShape(const ScopeMark& before)
{
    if (m_pTable.get() == before.pTable && m_iMode == before.iMode && CurrentCount() == before.iCount)
        return;
    ++m_listShape;
    ShownChanged();
}

void ChannelTableDocument::ScopeEnding()
{
    const ScopeMark mark = m_scopes.back();
    m_scopes.pop_back();
    NoteListShape(mark);
}

void ChannelTableDocument::Spliced(ChannelSplice splice)
{
    ++m_listVersion;
    ApplyToListValues(splice, true);
    // Every change is made by a command, in its scope; whatever else may
    // change a list is in no step.
    if (!InScope())
        return;
    m_pending.changes.Add(std::move(splice));
}

std::optional<ChannelStep> ChannelTableDocument::MakeStep()
{
    PendingStep pending = std::exchange(m_pending, PendingStep());
    // Asked first, so that a step that changed nothing leaves nothing behind.
    const bool bReplacesTable = TakeStepReplacesTable();
    ChannelStep step;
    step.after = Fields();
    // A command that changed nothing (a refused input) is no step; one that
    // put another table in place is one, whatever the tables hold.
    if (step.after == pending.fields && pending.changes.Empty())
        return std::nullopt;
    step.name = std::move(pending.name);
    step.before = pending.fields;
    step.changes = std::move(pending.changes);
    step.changes.Finish(m_pTable.get(), HeldBytes);
    step.bReplacesTable = bReplacesTable;
    if (bReplacesTable) {
        step.fileBefore = std::move(pending.file);
        step.fileAfter = m_saveFile;
    }
    return step;
}

ChannelDocumentFields ChannelTableDocument::Fields() const
{
    ChannelDocumentFields fields;
    fields.bHasTable = m_pTable != nullptr;
    if (m_pTable) {
        fields.header = m_pTable->Header();
        std::memcpy(fields.endMark, m_pTable->EndMark(), sizeof fields.endMark);
    }
    fields.iOrigin = m_iTableOrigin;
    return fields;
}

std::vector<FrequencyBits> ChannelTableDocument::ListBits(std::int32_t iMode) const
{
    if (!m_pTable || (iMode != ChannelModeAir && iMode != ChannelModeCable))
        return {};
    return ListValues(iMode);
}

const std::vector<FrequencyBits>& ChannelTableDocument::StoredList(std::int32_t iMode) const
{
    static const std::vector<FrequencyBits> kNone;
    if (!m_pTable || (iMode != ChannelModeAir && iMode != ChannelModeCable))
        return kNone;
    return ListValues(iMode);
}

const std::vector<FrequencyBits>& ChannelTableDocument::ListValues(std::int32_t iMode) const
{
    std::optional<std::vector<FrequencyBits>>& values = m_listValues.lists[iMode];
    if (!values) {
        values.emplace();
        const EntryRange<ChannelNode> channels = m_pTable->Channels(iMode);
        values->reserve(static_cast<std::size_t>(channels.size()));
        for (const ChannelNode& channel : channels)
            values->push_back(StoredBits(channel.dbFrequency));
    }
    return *values;
}

void ChannelTableDocument::ApplyToListValues(const ChannelSplice& splice, bool bForward)
{
    std::optional<std::vector<FrequencyBits>>& values = m_listValues.lists[splice.iList];
    if (!values)
        return;
    const std::vector<FrequencyBits>& gone = bForward ? splice.removed : splice.inserted;
    const std::vector<FrequencyBits>& come = bForward ? splice.inserted : splice.removed;
    const auto at = values->begin() + splice.iStart;
    if (gone.size() == come.size()) {
        std::copy(come.begin(), come.end(), at);
        return;
    }
    values->insert(values->erase(at, at + static_cast<std::ptrdiff_t>(gone.size())), come.begin(), come.end());
}

void ChannelTableDocument::ForgetListValues()
{
    m_listValues = ChannelListValues();
}

bool ChannelTableDocument::ApplyStep(ChannelStep& step, bool bForward)
{
    m_beforeApplied = MarkScope();
    const auto applied = [this](const ChannelSplice& splice, bool bForwards) { ApplyToListValues(splice, bForwards); };
    if (!step.changes.Apply(m_pTable, m_listValues, bForward, this, applied))
        return false;
    const ChannelDocumentFields& target = bForward ? step.after : step.before;
    if (m_pTable)
        m_pTable->SetHeaderImage(target.header, target.endMark);
    m_iTableOrigin = target.iOrigin;
    if (step.bReplacesTable)
        m_saveFile = bForward ? step.fileAfter : step.fileBefore;
    return true;
}

void ChannelTableDocument::StepApplied(const ChannelStep& step)
{
    ++m_listVersion;
    // A step that changed only the list not shown shows it, so that what was
    // taken back or made again can be seen.
    const std::vector<ChannelSplice>& splices = step.changes.Splices();
    const auto onOneList = [&splices] {
        return std::all_of(splices.begin(), splices.end(),
                           [&splices](const ChannelSplice& splice) { return splice.iList == splices[0].iList; });
    };
    if (m_pTable && !step.changes.ExchangesTable() && !splices.empty() && ShowsList() && onOneList())
        m_iMode = splices[0].iList;
    NoteListShape(m_beforeApplied);
}

std::int32_t ChannelTableDocument::NearestChannel(double dbFrequency) const
{
    const std::vector<double> frequencies = CurrentFrequencies();
    std::int32_t iNearest = 0;
    double dbBest = 0.0;
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        if (!(frequencies[i] > 0.0))
            continue;
        const double dbDistance = std::fabs(frequencies[i] - dbFrequency);
        if (iNearest == 0 || dbDistance < dbBest) {
            iNearest = static_cast<std::int32_t>(i + 1);
            dbBest = dbDistance;
        }
    }
    return iNearest;
}

std::vector<double> ChannelTableDocument::CurrentFrequencies() const
{
    if (!m_pTable || !ShowsList())
        return {};
    const std::vector<FrequencyBits>& bits = ListValues(m_iMode);
    std::vector<double> frequencies(bits.size());
    if (!bits.empty())
        std::memcpy(frequencies.data(), bits.data(), bits.size() * sizeof(double));
    return frequencies;
}

double ChannelTableDocument::Frequency(std::int32_t iChannel) const
{
    return m_pTable ? m_pTable->GetFrequency(m_iMode, iChannel) : -1.0;
}

ChannelRange ChannelTableDocument::Range(std::int32_t iMode) const
{
    ChannelRange range;
    if (m_pTable && (iMode == ChannelModeAir || iMode == ChannelModeCable))
        m_pTable->GetRange(iMode, &range.iMin, &range.iMax);
    return range;
}

std::int32_t ChannelTableDocument::CountryCode() const
{
    return m_pTable ? m_pTable->Header().iCountryCode() : 0;
}

void ChannelTableDocument::SetMode(std::int32_t iMode)
{
    if (iMode < 0)
        return;
    const ScopeMark before = MarkScope();
    m_iMode = iMode == ChannelModeAir || iMode == ChannelModeCable ? iMode : ChannelModeNone;
    if (m_iMode != before.iMode)
        NoteListShape(before);
}

void ChannelTableDocument::PutTable(std::unique_ptr<ChannelTable> pTable)
{
    if (pTable)
        pTable->SetRecorder(this);
    ++m_listVersion;
    if (!InScope()) {
        m_pTable = std::move(pTable);
        ForgetListValues();
        NoteAllListsAnew();
        return;
    }
    m_pending.changes.PutTable(m_pTable, std::move(pTable), m_listValues);
}

bool ChannelTableDocument::CreateNew()
{
    const StepScope step = BeginStep("Create New");
    const bool bFresh = !m_pTable || m_iTableOrigin == TableOriginLoaded;
    if (bFresh && m_pTable)
        Announce(DocumentChange::AboutToReplace);
    if (bFresh) {
        std::unique_ptr<ChannelTable> pTable(new (std::nothrow) ChannelTable(true));
        if (!pTable) {
            // A loaded table is dropped even when no new one can be made, so
            // that "Create New" never leaves a table that came from a file.
            if (m_iTableOrigin == TableOriginLoaded)
                PutTable(nullptr);
            return false;
        }
        PutTable(std::move(pTable));
    }
    m_iTableOrigin = TableOriginCreated;
    SetMode(ChannelModeAir);
    // A created table that is kept keeps its channels, and so whether they
    // are saved; only a fresh empty table has nothing unsaved.
    if (bFresh) {
        MarkStepSaved();
        m_source.clear();
        m_saveFile.Clear();
        Announce(DocumentChange::Replaced);
    }
    return true;
}

bool ChannelTableDocument::Load(const std::string& path, FileError& error)
{
    const StepScope step = BeginStep("LoadFromFile");
    if (!LoadTable(path, error))
        return false;
    MarkStepSaved();
    return true;
}

bool ChannelTableDocument::Restore(const std::string& path, const RestoreOrigin& origin, FileError& error)
{
    const StepScope step = BeginStep("Restore Unsaved Table");
    if (!LoadTable(path, error, true))
        return false;
    m_source = origin.source;
    m_saveFile.Tie(origin.savePath, origin.identity);
    MarkStepUnsaved();
    return true;
}

bool ChannelTableDocument::LoadTable(const std::string& path, FileError& error, bool bWholeImageOnly)
{
    const auto refuseDamaged = [&error] {
        error.Set(EINVAL, "not a whole channel table: the copy is damaged");
        return false;
    };
    if (bWholeImageOnly && !WholeImageCounts(path, TableKind::Channel))
        return refuseDamaged();
    std::unique_ptr<ChannelTable> pLoaded(new (std::nothrow) ChannelTable(false));
    if (!pLoaded) {
        error.Set(ENOMEM);
        return false;
    }
    if (m_pTable)
        Announce(DocumentChange::AboutToReplace);
    TableLoadResult loaded = LoadTableFile(path, *pLoaded, NonRegularFiles::Refuse);
    if (!loaded.Loaded()) {
        error = std::move(loaded.error);
        return false;
    }
    if (bWholeImageOnly && !IsWholeTableImage(pLoaded->LastLoad()))
        return refuseDamaged();
    PutTable(std::move(pLoaded));
    m_iTableOrigin = TableOriginLoaded;
    m_source = path;
    m_saveFile.Tie(path);
    SetMode(ChannelModeAir);
    Announce(DocumentChange::Replaced);
    return true;
}

bool ChannelTableDocument::Save(const std::string& path, FileError& error)
{
    if (!m_pTable || !m_pTable->Save(path.c_str(), &error))
        return false;
    m_saveFile.Tie(path);
    Written();
    return true;
}

bool ChannelTableDocument::NewFromPlan(const ChannelPlan& plan)
{
    return NewFromPositions(plan.Positions());
}

bool ChannelTableDocument::NewFromPositions(const std::vector<double>& positions)
{
    const StepScope step = BeginStep("New from Plan");
    const std::int32_t iMode = m_iMode == ChannelModeCable ? ChannelModeCable : ChannelModeAir;
    std::unique_ptr<ChannelTable> pTable(new (std::nothrow) ChannelTable(true));
    if (!pTable || !FillListFromPositions(*pTable, iMode, positions))
        return false;
    TakeNewTable(std::move(pTable), iMode);
    return true;
}

namespace {

// One list of a country's table from the plan of that name, read now.
bool FillListFromListedPlan(ChannelTable& table, std::int32_t iMode, const ListedPlan* pListed, const std::string& name,
                            PlanProblem* pProblem)
{
    PlanProblem problem;
    std::vector<double> positions;
    bool bFilled = false;
    if (!pListed)
        problem.reason = "no channel plan is named \"" + name + "\"";
    else if (ReadListedPlan(*pListed, positions, problem)) {
        bFilled = FillListFromPositions(table, iMode, positions);
        if (!bFilled)
            problem.reason = "the plan does not fit a channel list";
    }
    if (!bFilled && pProblem)
        *pProblem = std::move(problem);
    return bFilled;
}

} // namespace

bool ChannelTableDocument::NewFromPlan(const ListedPlan& plan, PlanProblem& problem)
{
    std::vector<double> positions;
    return ReadListedPlan(plan, positions, problem) && NewFromPositions(positions);
}

bool ChannelTableDocument::FillListFromPlan(const ListedPlan& plan, PlanProblem& problem)
{
    if (!m_pTable)
        return false;
    std::vector<double> positions;
    if (!ReadListedPlan(plan, positions, problem))
        return false;
    const std::int32_t iMode = m_iMode == ChannelModeCable ? ChannelModeCable : ChannelModeAir;
    if (!ReplaceListAs("Fill This List", iMode, positions)) {
        problem.reason = "the plan does not fit a channel list";
        return false;
    }
    return true;
}

bool ChannelTableDocument::NewFromCountry(const CountryPlans& country, const PlanLibrary& library,
                                          PlanProblem* pProblem)
{
    const StepScope step = BeginStep("New from Plan");
    std::unique_ptr<ChannelTable> pTable(new (std::nothrow) ChannelTable(true));
    if (!pTable)
        return false;
    const std::pair<std::int32_t, const std::string*> lists[] = {{ChannelModeAir, &country.airPlan},
                                                                 {ChannelModeCable, &country.cablePlan}};
    for (const auto& [iMode, pName] : lists) {
        if (pName->empty())
            continue;
        if (!FillListFromListedPlan(*pTable, iMode, library.FindPlan(*pName), *pName, pProblem))
            return false;
    }
    // The code as "Enter" takes one: only codes above 0 are stored.
    pTable->SetCountryCode(country.iCallingCode);
    TakeNewTable(std::move(pTable), ChannelModeAir);
    return true;
}

void ChannelTableDocument::TakeNewTable(std::unique_ptr<ChannelTable> pTable, std::int32_t iMode)
{
    if (m_pTable)
        Announce(DocumentChange::AboutToReplace);
    PutTable(std::move(pTable));
    m_iTableOrigin = TableOriginCreated;
    SetMode(iMode);
    // Its channels are in no file: the step moves away from the saved one.
    m_source.clear();
    m_saveFile.Clear();
    Announce(DocumentChange::Replaced);
}

void ChannelTableDocument::Reset()
{
    m_history.Clear();
    m_pTable.reset();
    NoteAllListsAnew();
    ForgetListValues();
    m_saveFile.Clear();
    m_iTableOrigin = TableOriginNone;
    m_iMode = ChannelModeNone;
    ++m_listShape;
    ++m_listVersion;
    Announce(DocumentChange::Edited);
}

bool ChannelTableDocument::Append(double dbFrequency)
{
    const StepScope step = BeginStep("Add to the end");
    if (!m_pTable)
        return false;
    std::unique_ptr<ChannelNode> pNode(new (std::nothrow) ChannelNode);
    if (!pNode)
        return false;
    pNode->dbFrequency = dbFrequency;
    if (!m_pTable->AppendChannel(m_iMode, pNode.get()))
        return false;
    pNode.release();
    return true;
}

bool ChannelTableDocument::SetFrequency(std::int32_t iChannel, double dbFrequency)
{
    const StepScope step = BeginStep("Save value");
    return m_pTable && m_pTable->SetFrequency(m_iMode, iChannel, dbFrequency);
}

bool ChannelTableDocument::EditFrequency(std::int32_t iChannel, double dbFrequency)
{
    const StepScope step = BeginStep(ChannelCommandName::kEditFrequency);
    return m_pTable && m_pTable->SetFrequency(m_iMode, iChannel, dbFrequency);
}

bool ChannelTableDocument::InsertBlank(std::int32_t iChannel)
{
    const StepScope step = BeginStep(ChannelCommandName::kInsertBlankItem);
    if (!m_pTable)
        return false;
    std::unique_ptr<ChannelNode> pNode(new (std::nothrow) ChannelNode);
    if (!pNode)
        return false;
    pNode->dbFrequency = 0.0;
    if (!m_pTable->InsertChannel(m_iMode, iChannel, pNode.get()))
        return false;
    pNode.release();
    return true;
}

bool ChannelTableDocument::Delete(std::int32_t iChannel)
{
    const StepScope step = BeginStep(ChannelCommandName::kDeleteItem);
    return m_pTable && m_pTable->DeleteChannel(m_iMode, iChannel);
}

std::int32_t ChannelTableDocument::DeleteMany(const std::vector<std::int32_t>& channels)
{
    const StepScope step = BeginStep(ChannelCommandName::kDeleteItem);
    if (!m_pTable)
        return 0;
    return m_pTable->DeleteChannels(m_iMode, channels);
}

bool ChannelTableDocument::SetCountryCode(std::int32_t iCode)
{
    const StepScope step = BeginStep("Country Code");
    return m_pTable && m_pTable->SetCountryCode(iCode);
}
