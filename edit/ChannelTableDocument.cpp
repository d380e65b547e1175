#include "ChannelTableDocument.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include "EntryRange.h"
#include "TableOperations.h"

namespace {

FrequencyBits BitsOf(double dbFrequency)
{
    FrequencyBits bits = 0;
    std::memcpy(&bits, &dbFrequency, sizeof bits);
    return bits;
}

void WriteFrequency(ChannelNode& node, FrequencyBits bits)
{
    std::memcpy(&node.dbFrequency, &bits, sizeof bits);
}

// What a table and the mirrors of its lists take, about.
std::size_t HeldBytes(const ChannelTable* pTable)
{
    if (!pTable)
        return 0;
    const auto channels = static_cast<std::size_t>(pTable->Channels(ChannelModeAir).size()) +
                          static_cast<std::size_t>(pTable->Channels(ChannelModeCable).size());
    // A node (they come from a pool, without a heap block each) and its value in a mirror.
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
    return sizeof(ChannelStep) + name.capacity() + air.Bytes() + cable.Bytes() + held.iBytes;
}

ChannelTableDocument::~ChannelTableDocument() = default;

ChannelTableDocument::StepScope ChannelTableDocument::BeginStep(std::string name, unsigned lists)
{
    if (name.empty())
        lists = NoLists;
    // A view's scope around a command is unnamed; the command inside names the step.
    if (InScope() && m_pending.name.empty())
        m_pending.name = name;
    if (OpenScope()) {
        m_pending.name = std::move(name);
        m_pending.fields = Fields();
        m_pending.file = m_saveFile;
    }
    m_scopes.push_back(MarkScope(lists));
    if (lists & AirList)
        m_airMirror.Ensure([this] { return ListBits(ChannelModeAir); });
    if (lists & CableList)
        m_cableMirror.Ensure([this] { return ListBits(ChannelModeCable); });
    return StepScope(*this);
}

unsigned ChannelTableDocument::CurrentList() const
{
    if (m_iMode == ChannelModeAir)
        return AirList;
    return m_iMode == ChannelModeCable ? CableList : NoLists;
}

std::int32_t ChannelTableDocument::CurrentCount() const
{
    return m_pTable && CurrentList() != NoLists ? m_pTable->Channels(m_iMode).size() : 0;
}

ChannelTableDocument::ScopeMark ChannelTableDocument::MarkScope(unsigned lists) const
{
    return ScopeMark{lists, m_pTable.get(), m_iMode, CurrentCount()};
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
    TakeListChanges(mark.lists);
    if (mark.lists != NoLists)
        ++m_listVersion;
    m_scopes.pop_back();
    NoteListShape(mark);
}

void ChannelTableDocument::TakeListChanges(unsigned lists)
{
    const auto take = [this](ListMirror<FrequencyBits>& mirror, SegmentChange<FrequencyBits>& change, unsigned list,
                             std::int32_t iMode) {
        if (m_knownEdit.iMode == iMode && !(m_pending.taken & list) && mirror.Values()) {
            m_knownEdit.iMode = ChannelModeNone;
            change = mirror.TakeEdit(m_knownEdit.iStart, m_knownEdit.removeCount, std::move(m_knownEdit.values));
            m_pending.taken |= list;
            // What a command tells must be what its list holds, or undo would
            // put back something else; debug builds check it.
            assert(*mirror.Values() == ListBits(iMode));
            return;
        }
        m_knownEdit.iMode = ChannelModeNone;
        if (m_pending.taken & list)
            change = mirror.TakeChangeAfter(change, ListAfterCommand(iMode));
        else
            change = mirror.TakeChange(ListAfterCommand(iMode));
        m_pending.taken |= list;
    };
    if (lists & AirList)
        take(m_airMirror, m_pending.air, AirList, ChannelModeAir);
    if (lists & CableList)
        take(m_cableMirror, m_pending.cable, CableList, ChannelModeCable);
}

std::optional<ChannelStep> ChannelTableDocument::MakeStep()
{
    PendingStep pending = std::exchange(m_pending, PendingStep());
    // Asked first, so that a step that changed nothing leaves nothing behind.
    const bool bReplacesTable = TakeStepReplacesTable();
    ChannelStep step;
    step.after = Fields();
    step.air = std::move(pending.air);
    step.cable = std::move(pending.cable);
    // A command that changed nothing (a refused input) is no step; one that
    // put another table in place is one, whatever the tables hold.
    if (!pending.bExchangesTable && step.after == pending.fields && step.air.Empty() && step.cable.Empty())
        return std::nullopt;
    step.bExchangesTable = pending.bExchangesTable;
    if (step.bExchangesTable) {
        step.held = std::move(pending.held);
        step.held.iBytes = std::max(HeldBytes(step.held.pTable.get()), HeldBytes(m_pTable.get()));
    }
    step.name = std::move(pending.name);
    step.before = pending.fields;
    step.bReplacesTable = bReplacesTable;
    if (bReplacesTable) {
        step.fileBefore = std::move(pending.file);
        step.fileAfter = m_saveFile;
    }
    return step;
}

void ChannelTableDocument::Changed(DocumentChange change)
{
    if (change == DocumentChange::Replaced)
        ShowTableCode();
    Announce(change);
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

std::vector<FrequencyBits> ChannelTableDocument::ListAfterCommand(std::int32_t iMode)
{
    if (m_iKnownMode != iMode)
        return ListBits(iMode);
    m_iKnownMode = ChannelModeNone;
    // What a command worked out must be what its list holds, or undo would
    // put back something else; debug builds, which the sanitizer build runs
    // every test with, check it.
    assert(m_knownAfter == ListBits(iMode));
    return std::move(m_knownAfter);
}

void ChannelTableDocument::KnowCurrentListEdit(std::int32_t iStart, std::int32_t removeCount,
                                               std::vector<FrequencyBits> values)
{
    if (CurrentList() == NoLists)
        return;
    m_knownEdit.iMode = m_iMode;
    m_knownEdit.iStart = iStart;
    m_knownEdit.removeCount = removeCount;
    m_knownEdit.values = std::move(values);
}

std::vector<FrequencyBits> ChannelTableDocument::ListBits(std::int32_t iMode) const
{
    std::vector<FrequencyBits> bits;
    if (!m_pTable)
        return bits;
    const EntryRange<ChannelNode> channels = m_pTable->Channels(iMode);
    bits.reserve(static_cast<std::size_t>(channels.size()));
    for (const ChannelNode& channel : channels)
        bits.push_back(BitsOf(channel.dbFrequency));
    return bits;
}

bool ChannelTableDocument::ApplyListChanges(const ChannelStep& step, bool bForward)
{
    const auto list = [this](std::int32_t iMode) {
        return [this, iMode](std::int32_t iStart, std::int32_t removeCount, const std::vector<FrequencyBits>& values) {
            return m_pTable->ReplaceChannels(iMode, iStart, removeCount, values, WriteFrequency);
        };
    };
    if (step.air.Empty() && step.cable.Empty())
        return true;
    if (!ApplySegment(step.air, bForward, list(ChannelModeAir)))
        return false;
    if (!ApplySegment(step.cable, bForward, list(ChannelModeCable))) {
        // Out of memory half-way: the air list goes back, the step stays where it was.
        ApplySegment(step.air, !bForward, list(ChannelModeAir));
        return false;
    }
    m_airMirror.Apply(step.air, bForward);
    m_cableMirror.Apply(step.cable, bForward);
    return true;
}

void ChannelTableDocument::ExchangeTable(HeldChannelTable& held)
{
    std::swap(m_pTable, held.pTable);
    std::swap(m_airMirror, held.air);
    std::swap(m_cableMirror, held.cable);
}

bool ChannelTableDocument::ApplyStep(ChannelStep& step, bool bForward)
{
    m_beforeApplied = MarkScope(NoLists);
    m_iCodeBeforeApplied = CountryCode();
    const ChannelDocumentFields& target = bForward ? step.after : step.before;
    if (step.bExchangesTable) {
        // The lists' changes belong to the table the step put in place: they
        // are taken back before it goes, and made again once it is back.
        if (bForward) {
            ExchangeTable(step.held);
            if (!ApplyListChanges(step, true)) {
                ExchangeTable(step.held);
                return false;
            }
        } else {
            if (!ApplyListChanges(step, false))
                return false;
            ExchangeTable(step.held);
        }
    } else {
        // Without a table the lists are put back into a new one; both lists
        // exist in every table the editor holds.
        if (!m_pTable) {
            m_pTable.reset(new (std::nothrow) ChannelTable(true));
            if (!m_pTable)
                return false;
        }
        if (!ApplyListChanges(step, bForward))
            return false;
    }
    if (m_pTable)
        m_pTable->SetHeaderImage(target.header, target.endMark);
    if (!target.bHasTable)
        m_pTable.reset();
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
    if (m_pTable && !step.bExchangesTable && step.air.Empty() != step.cable.Empty() && CurrentList() != NoLists)
        m_iMode = step.air.Empty() ? ChannelModeCable : ChannelModeAir;
    NoteListShape(m_beforeApplied);
    if (step.bExchangesTable || CountryCode() != m_iCodeBeforeApplied)
        ShowTableCode();
}

void ChannelTableDocument::ShowTableCode()
{
    const std::int32_t iCode = CountryCode();
    m_shownCode = ShownCode{std::to_string(iCode), iCode};
}

void ChannelTableDocument::SetEditIndex(std::int32_t iChannel)
{
    if (m_iEditIndex == iChannel)
        return;
    m_iEditIndex = iChannel;
    ShownChanged();
}

void ChannelTableDocument::SetSelIndex(std::int32_t iChannel)
{
    if (m_iSelIndex == iChannel)
        return;
    m_iSelIndex = iChannel;
    ShownChanged();
}

void ChannelTableDocument::SetShownChannel(std::int32_t iChannel)
{
    if (m_iShownChannel == iChannel)
        return;
    m_iShownChannel = iChannel;
    ShownChanged();
}

bool ChannelTableDocument::EnterCountryCode(const std::string& typed, std::int32_t iCode)
{
    const StepScope step = BeginStep("Country Code", NoLists);
    const bool bTaken = m_pTable && m_pTable->SetCountryCode(iCode);
    const ShownCode shown{typed, typed.empty() ? 0 : iCode};
    if (!(shown == m_shownCode)) {
        m_shownCode = shown;
        ShownChanged();
    }
    return bTaken;
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
    std::vector<double> frequencies;
    if (!m_pTable)
        return frequencies;
    // The values the last step left are at hand without a walk of the list;
    // a list not mirrored yet is mirrored by this walk. Inside a command's
    // scope the list may have changed since.
    ListMirror<FrequencyBits>& mirror = m_iMode == ChannelModeAir ? m_airMirror : m_cableMirror;
    const bool bCurrent =
        CurrentList() != NoLists &&
        std::all_of(m_scopes.begin(), m_scopes.end(), [](const ScopeMark& scope) { return scope.lists == NoLists; });
    if (bCurrent)
        mirror.Ensure([this] { return ListBits(m_iMode); });
    if (const std::vector<FrequencyBits>* pBits = bCurrent ? mirror.Values() : nullptr) {
        frequencies.resize(pBits->size());
        if (!pBits->empty())
            std::memcpy(frequencies.data(), pBits->data(), pBits->size() * sizeof(double));
        return frequencies;
    }
    const EntryRange<ChannelNode> channels = m_pTable->Channels(m_iMode);
    frequencies.reserve(static_cast<std::size_t>(channels.size()));
    for (const ChannelNode& channel : channels)
        frequencies.push_back(channel.dbFrequency);
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
    const ScopeMark before = MarkScope(NoLists);
    m_iMode = iMode == ChannelModeAir || iMode == ChannelModeCable ? iMode : ChannelModeNone;
    if (m_iMode != before.iMode)
        NoteListShape(before);
}

// A step that has changed no list yet, inside no scope that may change one,
// keeps the table it replaces and exchanges the two on undo and redo; the new
// table's lists are mirrored when first read. Otherwise the lists are compared
// now, as at a step's end, and the replaced table goes.
void ChannelTableDocument::PutTable(std::unique_ptr<ChannelTable> pTable)
{
    const bool bNoListsChanging =
        m_pending.taken == NoLists &&
        std::all_of(m_scopes.begin(), m_scopes.end(), [](const ScopeMark& scope) { return scope.lists == NoLists; });
    if (InScope() && bNoListsChanging) {
        if (!m_pending.bExchangesTable) {
            m_pending.bExchangesTable = true;
            m_pending.held.pTable = std::move(m_pTable);
            m_pending.held.air = std::move(m_airMirror);
            m_pending.held.cable = std::move(m_cableMirror);
        }
        m_pTable = std::move(pTable);
        ++m_listVersion;
        m_airMirror.Forget();
        m_cableMirror.Forget();
        return;
    }
    m_airMirror.Ensure([this] { return ListBits(ChannelModeAir); });
    m_cableMirror.Ensure([this] { return ListBits(ChannelModeCable); });
    m_pTable = std::move(pTable);
    ++m_listVersion;
    if (InScope())
        TakeListChanges(BothLists);
}

bool ChannelTableDocument::CreateNew()
{
    const StepScope step = BeginStep("Create New", NoLists);
    const bool bFresh = !m_pTable || m_iTableOrigin == TableOriginLoaded;
    if (bFresh && m_pTable)
        Changed(DocumentChange::AboutToReplace);
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
        Changed(DocumentChange::Replaced);
    }
    return true;
}

bool ChannelTableDocument::Load(const std::string& path, FileError& error)
{
    const StepScope step = BeginStep("LoadFromFile", NoLists);
    if (!LoadTable(path, error))
        return false;
    MarkStepSaved();
    return true;
}

bool ChannelTableDocument::Restore(const std::string& path, const RestoreOrigin& origin, FileError& error)
{
    const StepScope step = BeginStep("Restore Unsaved Table", NoLists);
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
        Changed(DocumentChange::AboutToReplace);
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
    Changed(DocumentChange::Replaced);
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
    const StepScope step = BeginStep("New from Plan", NoLists);
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
    const StepScope step = BeginStep("New from Plan", NoLists);
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
        Changed(DocumentChange::AboutToReplace);
    PutTable(std::move(pTable));
    m_iTableOrigin = TableOriginCreated;
    SetMode(iMode);
    // Its channels are in no file: the step moves away from the saved one.
    m_source.clear();
    m_saveFile.Clear();
    Changed(DocumentChange::Replaced);
}

void ChannelTableDocument::Reset()
{
    m_history.Clear();
    m_airMirror.Forget();
    m_cableMirror.Forget();
    m_pTable.reset();
    m_saveFile.Clear();
    m_iTableOrigin = TableOriginNone;
    m_iMode = ChannelModeNone;
    m_iEditIndex = 0;
    m_iSelIndex = 0;
    m_iShownChannel = 0;
    m_shownCode = ShownCode();
    ++m_listShape;
    ++m_listVersion;
    Changed(DocumentChange::Edited);
}

bool ChannelTableDocument::Append(double dbFrequency)
{
    const StepScope step = BeginStep("Add to the end", CurrentList());
    if (!m_pTable)
        return false;
    std::unique_ptr<ChannelNode> pNode(new (std::nothrow) ChannelNode);
    if (!pNode)
        return false;
    pNode->dbFrequency = dbFrequency;
    if (!m_pTable->AppendChannel(m_iMode, pNode.get()))
        return false;
    pNode.release();
    const auto iCount = static_cast<std::int32_t>(m_pTable->Channels(m_iMode).size());
    KnowCurrentListEdit(iCount - 1, 0, {BitsOf(dbFrequency)});
    return true;
}

bool ChannelTableDocument::SetFrequency(std::int32_t iChannel, double dbFrequency)
{
    const StepScope step = BeginStep("Save value", CurrentList());
    if (!m_pTable || !m_pTable->SetFrequency(m_iMode, iChannel, dbFrequency))
        return false;
    KnowCurrentListEdit(iChannel - 1, 1, {BitsOf(dbFrequency)});
    return true;
}

bool ChannelTableDocument::InsertBlank(std::int32_t iChannel)
{
    const StepScope step = BeginStep("Insert Blank Item", CurrentList());
    if (!m_pTable)
        return false;
    std::unique_ptr<ChannelNode> pNode(new (std::nothrow) ChannelNode);
    if (!pNode)
        return false;
    pNode->dbFrequency = 0.0;
    if (!m_pTable->InsertChannel(m_iMode, iChannel, pNode.get()))
        return false;
    pNode.release();
    KnowCurrentListEdit(iChannel - 1, 0, {BitsOf(0.0)});
    return true;
}

bool ChannelTableDocument::Delete(std::int32_t iChannel)
{
    const StepScope step = BeginStep("Delete Item", CurrentList());
    if (!m_pTable || !m_pTable->DeleteChannel(m_iMode, iChannel))
        return false;
    KnowCurrentListEdit(iChannel - 1, 1, {});
    return true;
}

std::int32_t ChannelTableDocument::DeleteMany(const std::vector<std::int32_t>& channels)
{
    const StepScope step = BeginStep("Delete Item", CurrentList());
    if (!m_pTable)
        return 0;
    const std::int32_t iDeleted = m_pTable->DeleteChannels(m_iMode, channels);
    // The list left is the mirrored one without the deleted channels, picked
    // as the table picks them: the step's end then need not walk the nodes.
    const ListMirror<FrequencyBits>& mirror = m_iMode == ChannelModeAir ? m_airMirror : m_cableMirror;
    const std::vector<FrequencyBits>* pBefore = mirror.Values();
    if (iDeleted == 0 || !pBefore)
        return iDeleted;
    std::vector<FrequencyBits> after;
    after.reserve(pBefore->size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < pBefore->size(); ++i) {
        const auto iChannel = static_cast<std::int32_t>(i + 1);
        while (next < channels.size() && channels[next] < iChannel)
            ++next;
        if (next == channels.size() || channels[next] != iChannel)
            after.push_back((*pBefore)[i]);
    }
    if (after.size() + static_cast<std::size_t>(iDeleted) == pBefore->size()) {
        m_iKnownMode = m_iMode;
        m_knownAfter = std::move(after);
    }
    return iDeleted;
}

bool ChannelTableDocument::SetCountryCode(std::int32_t iCode)
{
    return EnterCountryCode(std::to_string(iCode), iCode);
}
