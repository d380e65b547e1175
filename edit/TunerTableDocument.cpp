#include "TunerTableDocument.h"

#include <cerrno>
#include <new>
#include <utility>

#include "EntryRange.h"
#include "HexDigit.h"
#include "TableOperations.h"
#include "TypedNumbers.h"

const char* const kCoverageErrorText = "Channel Coverage input error, try again!";
const char* const kBandCodeErrorText = "Band Code input error, try again!";

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

TunerTableDocument::~TunerTableDocument() = default;

std::vector<TunerRow> TunerTableDocument::Rows() const
{
    std::vector<TunerRow> rows;
    if (!m_pTable)
        return rows;
    const EntryRange<TunerSpecNode> entries = m_pTable->Entries();
    rows.reserve(static_cast<std::size_t>(entries.size()));
    for (const TunerSpecNode& node : entries)
        rows.push_back(TunerRow{node.entry.iFactory(), node.entry.iTunerType()});
    return rows;
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
    m_pTable.reset();
    m_iMenuPos = 0;
}

bool TunerTableDocument::CreateNew()
{
    m_pTable.reset();
    m_pTable.reset(new (std::nothrow) TunerSpecTable(true));
    return m_pTable != nullptr;
}

TunerLoadResult TunerTableDocument::Load(const std::string& path, FileError& error)
{
    std::unique_ptr<TunerSpecTable> pLoaded(new (std::nothrow) TunerSpecTable(false));
    if (!pLoaded) {
        error.Set(ENOMEM);
        return m_pTable ? TunerLoadResult::KeptTable : TunerLoadResult::EmptyTable;
    }
    TableLoadResult loaded = LoadTableFile(path, *pLoaded, NonRegularFiles::Refuse);
    error = std::move(loaded.error);
    if (loaded.Loaded()) {
        m_pTable = std::move(pLoaded);
        return TunerLoadResult::Read;
    }
    if (m_pTable)
        return TunerLoadResult::KeptTable;
    m_pTable.reset(new (std::nothrow) TunerSpecTable(true));
    return TunerLoadResult::EmptyTable;
}

bool TunerTableDocument::Save(const std::string& path, FileError& error)
{
    if (!m_pTable)
        return false;
    return m_pTable->Save(path.c_str(), &error) || error.code == 0;
}

AddInfoOutcome TunerTableDocument::AddInfo(const TunerInput& input)
{
    AddInfoOutcome outcome;
    if (!m_pTable)
        return outcome;
    std::unique_ptr<TunerSpecNode> pNode(new (std::nothrow) TunerSpecNode);
    if (!pNode)
        return outcome;
    TunerSpecEntry& entry = pNode->entry;
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
        if (!(dbValue > 0)) {
            outcome.message = kCoverageErrorText;
            return outcome;
        }
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
        if (!ParseBandCode(field.text, wCode)) {
            outcome.message = kBandCodeErrorText;
            return outcome;
        }
        (entry.*field.set)(wCode);
    }

    // A missing first picture carrier is told with the band code message.
    const double dbPictureCarrier = ReadTypedDecimal(input.pictureCarrier);
    if (!(dbPictureCarrier > 0)) {
        outcome.message = kBandCodeErrorText;
        return outcome;
    }
    entry.SetPictureCarrier(dbPictureCarrier);
    // A tuner without a second picture carrier stores 0.
    const double dbPictureCarrier2 = ReadTypedDecimal(input.pictureCarrier2);
    if (dbPictureCarrier2 > 0)
        entry.SetPictureCarrier2(dbPictureCarrier2);

    outcome.entry = entry;
    const std::int32_t iBefore = m_pTable->Entries().size();
    m_pTable->InsertInOrder(pNode.release());
    outcome.bAdded = m_pTable->Entries().size() > iBefore;
    return outcome;
}

bool TunerTableDocument::DeleteTuner()
{
    // Positions outside 1..count (no row selected at the right click) do nothing.
    if (!m_pTable || !m_pTable->RemoveEntry(m_iMenuPos))
        return false;
    // The remembered entry is gone; a later command must not take its successor.
    m_iMenuPos = 0;
    return true;
}
