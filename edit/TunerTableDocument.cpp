#include "edit/TunerTableDocument.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "edit/TableOperations.h"
#include "platform/HexDigit.h"
#include "tables/format/EntryRange.h"
#include "tables/format/TableFormat.h"
#include "tables/text/TypedNumbers.h"

const char* const kCoverageErrorText = "Channel Coverage input error, try again!";
const char* const kBandCodeErrorText = "Band Code input error, try again!";

std::string NoEntryToReplaceText(const TunerSpecEntry& entry)
{
    char text[96];
    std::snprintf(text, sizeof text, "There is no entry of factory %02X, tuner type %02X to replace.",
                  static_cast<unsigned>(entry.iFactory()), static_cast<unsigned>(entry.iTunerType()));
    return text;
}

bool ParseBandCode(const std::string& text, std::uint16_t& wCode)
{
    if (text.size() != 4)
        return false;
    unsigned value = 0;
    for (const char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    wCode = static_cast<std::uint16_t>(value);
    return true;
}

namespace {

void WriteEntry(TunerSpecNode& node, const TunerEntryImage& image)
{
    std::memcpy(node.entry.bytes, image.data(), image.size());
}

// What a table takes, about.
std::size_t HeldBytes(const TunerSpecTable* pTable)
{
    return pTable ? sizeof(TunerSpecTable) + static_cast<std::size_t>(pTable->Entries().size()) * sizeof(TunerSpecNode)
                  : 0;
}

// Whether two tables (or none) hold the same list, entry for entry.
bool SameEntries(const TunerSpecTable* pOne, const TunerSpecTable* pOther)
{
    if (!pOne || !pOther)
        return pOne == pOther;
    if ((pOne->GetList() == nullptr) != (pOther->GetList() == nullptr) ||
        pOne->Entries().size() != pOther->Entries().size())
        return false;
    const EntryRange<TunerSpecNode> others = pOther->Entries();
    auto other = others.begin();
    for (const TunerSpecNode& node : pOne->Entries()) {
        if (std::memcmp(node.entry.bytes, other->entry.bytes, TunerSpecEntry::kSize) != 0)
            return false;
        ++other;
    }
    return true;
}

} // namespace

bool TunerDocumentFields::operator==(const TunerDocumentFields& other) const
{
    return bHasTable == other.bHasTable && bHasList == other.bHasList &&
           std::memcmp(header.bytes, other.header.bytes, sizeof header.bytes) == 0 &&
           std::memcmp(endMark, other.endMark, sizeof endMark) == 0;
}

std::size_t TunerStep::Bytes() const
{
    return sizeof(TunerStep) + name.capacity() + changes.Bytes();
}

TunerTableDocument::~TunerTableDocument() = default;

TunerTableDocument::StepScope TunerTableDocument::BeginStep(std::string name)
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
    return StepScope(*this);
}

std::optional<TunerStep> TunerTableDocument::MakeStep()
{
    PendingStep pending = std::exchange(m_pending, PendingStep());
    // Asked first, so that a step that changed nothing leaves nothing behind.
    const bool bReplacesTable = TakeStepReplacesTable();
    TunerStep step;
    step.after = Fields();
    // A command that changed nothing (a refused entry, a taken key, a table
    // put in place that holds what the one before held) is no step.
    const TunerTableChanges& changes = pending.changes;
    if (step.after == pending.fields && (changes.Empty() || (changes.Splices().empty() && changes.ExchangesTable() &&
                                                             SameEntries(changes.Held(), m_pTable.get()))))
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

bool TunerTableDocument::Holds(const TunerSpecEntry& entry) const
{
    if (!m_pTable)
        return false;
    for (const TunerSpecNode& node : m_pTable->Entries())
        if (std::memcmp(node.entry.bytes, entry.bytes, TunerSpecEntry::kSize) == 0)
            return true;
    return false;
}

TunerDocumentFields TunerTableDocument::Fields() const
{
    TunerDocumentFields fields;
    fields.bHasTable = m_pTable != nullptr;
    if (m_pTable) {
        fields.bHasList = m_pTable->GetList() != nullptr;
        fields.header = m_pTable->Header();
        std::memcpy(fields.endMark, m_pTable->EndMark(), sizeof fields.endMark);
    }
    return fields;
}

void TunerTableDocument::Spliced(ListSplice<TunerEntryImage> splice)
{
    m_pImage.reset();
    // Undo and redo apply their splices with no scope open: nothing is kept.
    if (InScope())
        m_pending.changes.Add(std::move(splice));
}

void TunerTableDocument::PutTable(std::unique_ptr<TunerSpecTable> pTable)
{
    m_pImage.reset();
    if (pTable)
        pTable->SetRecorder(this);
    NoTableState none;
    if (InScope())
        m_pending.changes.PutTable(m_pTable, std::move(pTable), none);
    else {
        m_pTable = std::move(pTable);
        NoteAllListsAnew();
    }
}

bool TunerTableDocument::ApplyStep(TunerStep& step, bool bForward)
{
    m_pImage.reset();
    NoTableState none;
    if (!step.changes.Apply(m_pTable, none, bForward, this, [](const TunerTableChanges::Splice&, bool) {}))
        return false;
    const TunerDocumentFields& target = bForward ? step.after : step.before;
    if (m_pTable)
        m_pTable->SetHeaderImage(target.header, target.endMark);
    if (step.bReplacesTable)
        m_saveFile = bForward ? step.fileAfter : step.fileBefore;
    return true;
}

void TunerTableDocument::StepApplied(const TunerStep&) {}

std::int32_t TunerRowCount(const std::vector<std::uint8_t>& image)
{
    constexpr std::size_t kFrame = TunerSpecHeader::kSize + TunerSpecTable::kEndMarkSize;
    return image.size() > kFrame ? static_cast<std::int32_t>((image.size() - kFrame) / TunerSpecEntry::kSize) : 0;
}

std::optional<TunerRow> TunerRowOfImage(const std::vector<std::uint8_t>& image, std::int32_t iRow)
{
    if (iRow < 0 || iRow >= TunerRowCount(image))
        return std::nullopt;
    TunerSpecEntry entry;
    std::memcpy(entry.bytes,
                image.data() + TunerSpecHeader::kSize + TunerSpecEntry::kSize * static_cast<std::size_t>(iRow),
                TunerSpecEntry::kSize);
    return TunerRow{entry.iFactory(),
                    entry.iTunerType(),
                    {entry.dbLowBandStart(), entry.dbMidBandStart(), entry.dbHighBandStart(), entry.dbHighBandEnd()}};
}

std::vector<TunerRow> TunerTableDocument::Rows() const
{
    std::vector<TunerRow> rows;
    const std::shared_ptr<const std::vector<std::uint8_t>> image = SharedFileImage();
    if (!image)
        return rows;
    const std::int32_t count = TunerRowCount(*image);
    rows.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
        rows.push_back(*TunerRowOfImage(*image, i));
    return rows;
}

std::shared_ptr<const std::vector<std::uint8_t>> TunerTableDocument::SharedFileImage() const
{
    if (!m_pTable)
        return nullptr;
    if (!m_pImage)
        m_pImage = std::make_shared<const std::vector<std::uint8_t>>(m_pTable->FileImage());
    return m_pImage;
}

std::optional<TunerSpecEntry> TunerTableDocument::EntryAt(std::int32_t iRow) const
{
    const TunerSpecEntry* pEntry = m_pTable ? m_pTable->EntryAt(iRow) : nullptr;
    if (!pEntry)
        return std::nullopt;
    return *pEntry;
}

void TunerTableDocument::Reset()
{
    m_history.Clear();
    m_pTable.reset();
    m_pImage.reset();
    NoteAllListsAnew();
    m_saveFile.Clear();
    Announce(DocumentChange::Edited);
}

bool TunerTableDocument::CreateNew()
{
    const StepScope step = BeginStep("Create New");
    if (m_pTable)
        Announce(DocumentChange::AboutToReplace);
    PutTable(std::unique_ptr<TunerSpecTable>(new (std::nothrow) TunerSpecTable(true)));
    MarkStepSaved();
    m_source.clear();
    m_saveFile.Clear();
    Announce(DocumentChange::Replaced);
    return m_pTable != nullptr;
}

TunerLoadResult TunerTableDocument::Load(const std::string& path, FileError& error)
{
    const StepScope step = BeginStep("Load File");
    if (m_pTable)
        Announce(DocumentChange::AboutToReplace);
    const TunerLoadResult result = LoadTable(path, error);
    if (result != TunerLoadResult::KeptTable) {
        MarkStepSaved();
        m_source = result == TunerLoadResult::Read ? path : std::string();
        m_saveFile.Tie(m_source);
        Announce(DocumentChange::Replaced);
    }
    return result;
}

bool TunerTableDocument::Restore(const std::string& path, const RestoreOrigin& origin, FileError& error)
{
    const StepScope step = BeginStep("Restore Unsaved Table");
    const auto refuseDamaged = [&error] {
        error.Set(EINVAL, "not a whole tuner table: the copy is damaged");
        return false;
    };
    if (!WholeImageCounts(path, TableKind::Tuner))
        return refuseDamaged();
    std::unique_ptr<TunerSpecTable> pLoaded(new (std::nothrow) TunerSpecTable(false));
    if (!pLoaded) {
        error.Set(ENOMEM);
        return false;
    }
    // A copy holds a table with entries, or a header alone for an empty one.
    pLoaded->Load(path.c_str(), &error);
    if (error.code != 0)
        return false;
    if (!IsWholeTableImage(pLoaded->LastLoad()))
        return refuseDamaged();
    // The copy of an empty table is its header alone, without the end mark
    // the table held; it gets a new table's, so that entries added later save
    // as a whole file.
    if (pLoaded->Header().iEntryCount() == 0)
        pLoaded->SetHeaderImage(pLoaded->Header(), kTableEndMark);
    if (m_pTable)
        Announce(DocumentChange::AboutToReplace);
    PutTable(std::move(pLoaded));
    MarkStepUnsaved();
    m_source = origin.source;
    m_saveFile.Tie(origin.savePath, origin.identity);
    Announce(DocumentChange::Replaced);
    return true;
}

TunerLoadResult TunerTableDocument::LoadTable(const std::string& path, FileError& error)
{
    std::unique_ptr<TunerSpecTable> pLoaded(new (std::nothrow) TunerSpecTable(false));
    if (!pLoaded) {
        error.Set(ENOMEM);
        return m_pTable ? TunerLoadResult::KeptTable : TunerLoadResult::EmptyTable;
    }
    std::vector<std::uint8_t> fileImage;
    TableLoadResult loaded = LoadTableFile(path, *pLoaded, NonRegularFiles::Refuse, &fileImage);
    error = std::move(loaded.error);
    if (loaded.Loaded()) {
        PutTable(std::move(pLoaded));
        // The bytes just read are the image the list and the status line ask
        // for next; taken as they are, the largest table is not copied again.
        if (!fileImage.empty())
            m_pImage = std::make_shared<const std::vector<std::uint8_t>>(std::move(fileImage));
        return TunerLoadResult::Read;
    }
    if (m_pTable)
        return TunerLoadResult::KeptTable;
    PutTable(std::unique_ptr<TunerSpecTable>(new (std::nothrow) TunerSpecTable(true)));
    return TunerLoadResult::EmptyTable;
}

bool TunerTableDocument::Save(const std::string& path, FileError& error)
{
    if (!m_pTable)
        return false;
    if (!m_pTable->Save(path.c_str(), &error) && error.code != 0)
        return false;
    m_saveFile.Tie(path);
    Written();
    return true;
}

std::string ReadTunerInput(const TunerInput& input, TunerSpecEntry& entry)
{
    entry.SetFactory(input.iFactory);
    entry.SetTunerType(input.iTunerType);

    // The band edges are only checked to be positive, not against each other.
    const struct
    {
        const std::string& text;
        void (TunerSpecEntry::*set)(double);
    } coverage[] = {
        {input.lowBandStart, &TunerSpecEntry::SetLowBandStart},
        {input.midBandStart, &TunerSpecEntry::SetMidBandStart},
        {input.highBandStart, &TunerSpecEntry::SetHighBandStart},
        {input.highBandEnd, &TunerSpecEntry::SetHighBandEnd},
    };
    for (const auto& field : coverage) {
        const double dbValue = ReadTypedDecimal(field.text);
        if (!(dbValue > 0))
            return kCoverageErrorText;
        (entry.*field.set)(dbValue);
    }

    const struct
    {
        const std::string& text;
        void (TunerSpecEntry::*set)(std::uint16_t);
    } codes[] = {
        {input.lowCode, &TunerSpecEntry::SetLowCode},
        {input.midCode, &TunerSpecEntry::SetMidCode},
        {input.highCode, &TunerSpecEntry::SetHighCode},
    };
    for (const auto& field : codes) {
        std::uint16_t wCode = 0;
        if (!ParseBandCode(field.text, wCode))
            return kBandCodeErrorText;
        (entry.*field.set)(wCode);
    }

    // A missing first picture carrier is told with the band code message.
    const double dbPictureCarrier = ReadTypedDecimal(input.pictureCarrier);
    if (!(dbPictureCarrier > 0))
        return kBandCodeErrorText;
    entry.SetPictureCarrier(dbPictureCarrier);
    // A tuner without a second picture carrier stores 0.
    const double dbPictureCarrier2 = ReadTypedDecimal(input.pictureCarrier2);
    if (dbPictureCarrier2 > 0)
        entry.SetPictureCarrier2(dbPictureCarrier2);
    return std::string();
}

AddInfoOutcome TunerTableDocument::AddInfo(const TunerInput& input)
{
    const StepScope step = BeginStep("Add Info");
    AddInfoOutcome outcome;
    if (!m_pTable)
        return outcome;
    std::unique_ptr<TunerSpecNode> pNode(new (std::nothrow) TunerSpecNode);
    if (!pNode)
        return outcome;
    outcome.message = ReadTunerInput(input, pNode->entry);
    if (!outcome.message.empty())
        return outcome;

    outcome.entry = pNode->entry;
    const std::int32_t iBefore = m_pTable->Entries().size();
    m_pTable->InsertInOrder(pNode.release());
    outcome.bAdded = m_pTable->Entries().size() > iBefore;
    return outcome;
}

std::int32_t TunerTableDocument::PositionOfKey(std::int32_t iKey) const
{
    std::int32_t iPosition = 0;
    for (const TunerSpecNode& node : m_pTable->Entries()) {
        if (TunerSortKey(node.entry) == iKey)
            return iPosition;
        ++iPosition;
    }
    return -1;
}

ReplaceEntryOutcome TunerTableDocument::ReplaceEntry(const TunerInput& input)
{
    const StepScope step = BeginStep("Replace Entry");
    ReplaceEntryOutcome outcome;
    if (!m_pTable || !m_pTable->GetList())
        return outcome;
    TunerSpecEntry entry;
    outcome.message = ReadTunerInput(input, entry);
    if (!outcome.message.empty())
        return outcome;
    // The table knows an entry by its key: the one that has it is replaced,
    // where it stands, even in a loaded table out of key order.
    const std::int32_t iPosition = PositionOfKey(TunerSortKey(entry));
    if (iPosition < 0) {
        outcome.message = NoEntryToReplaceText(entry);
        return outcome;
    }
    TunerEntryImage image;
    std::memcpy(image.data(), entry.bytes, image.size());
    if (!m_pTable->ReplaceEntries(iPosition, 1, std::vector<TunerEntryImage>{image}, WriteEntry))
        return outcome;
    outcome.entry = entry;
    outcome.bReplaced = true;
    return outcome;
}

bool TunerTableDocument::DeleteTuner(std::int32_t iPosition)
{
    const StepScope step = BeginStep(kDeleteTunerStepName);
    return m_pTable && m_pTable->RemoveEntry(iPosition);
}
