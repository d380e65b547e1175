#include "ChannelTableDocument.h"

#include <cerrno>
#include <new>
#include <utility>

#include "EntryRange.h"
#include "TableOperations.h"

ChannelTableDocument::~ChannelTableDocument() = default;

std::vector<double> ChannelTableDocument::CurrentFrequencies() const
{
    std::vector<double> frequencies;
    if (!m_pTable)
        return frequencies;
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
    m_iMode = iMode == ChannelModeAir || iMode == ChannelModeCable ? iMode : ChannelModeNone;
}

bool ChannelTableDocument::CreateNew()
{
    if (m_iTableOrigin == TableOriginLoaded)
        m_pTable.reset();
    if (!m_pTable) {
        m_pTable.reset(new (std::nothrow) ChannelTable(true));
        if (!m_pTable)
            return false;
    }
    m_iTableOrigin = TableOriginCreated;
    SetMode(ChannelModeAir);
    return true;
}

bool ChannelTableDocument::Load(const std::string& path, FileError& error)
{
    std::unique_ptr<ChannelTable> pLoaded(new (std::nothrow) ChannelTable(false));
    if (!pLoaded) {
        error.Set(ENOMEM);
        return false;
    }
    TableLoadResult loaded = LoadTableFile(path, *pLoaded, NonRegularFiles::Refuse);
    if (!loaded.Loaded()) {
        error = std::move(loaded.error);
        return false;
    }
    m_pTable = std::move(pLoaded);
    m_iTableOrigin = TableOriginLoaded;
    SetMode(ChannelModeAir);
    return true;
}

bool ChannelTableDocument::Save(const std::string& path, FileError& error)
{
    return m_pTable && m_pTable->Save(path.c_str(), &error);
}

bool ChannelTableDocument::NewFromPlan(const ChannelPlan& plan)
{
    const std::int32_t iMode = m_iMode == ChannelModeCable ? ChannelModeCable : ChannelModeAir;
    std::unique_ptr<ChannelTable> pTable(new (std::nothrow) ChannelTable(true));
    if (!pTable || !FillListFromPlan(*pTable, iMode, plan))
        return false;
    TakeNewTable(std::move(pTable), iMode);
    return true;
}

bool ChannelTableDocument::NewFromCountry(const CountryPlans& country, const PlanLibrary& library)
{
    std::unique_ptr<ChannelTable> pTable(new (std::nothrow) ChannelTable(true));
    if (!pTable)
        return false;
    const std::pair<std::int32_t, const std::string*> lists[] = {{ChannelModeAir, &country.airPlan},
                                                                 {ChannelModeCable, &country.cablePlan}};
    for (const auto& [iMode, pName] : lists) {
        if (pName->empty())
            continue;
        const ChannelPlan* pPlan = library.FindPlan(*pName);
        if (!pPlan || !FillListFromPlan(*pTable, iMode, *pPlan))
            return false;
    }
    // The code as "Enter" takes one: only codes above 0 are stored.
    pTable->SetCountryCode(country.iCallingCode);
    TakeNewTable(std::move(pTable), ChannelModeAir);
    return true;
}

void ChannelTableDocument::TakeNewTable(std::unique_ptr<ChannelTable> pTable, std::int32_t iMode)
{
    m_pTable = std::move(pTable);
    m_iTableOrigin = TableOriginCreated;
    SetMode(iMode);
}

void ChannelTableDocument::Reset()
{
    m_pTable.reset();
    m_iTableOrigin = TableOriginNone;
    m_iMode = ChannelModeNone;
    m_iEditIndex = 0;
    m_iSelIndex = 0;
}

bool ChannelTableDocument::Append(double dbFrequency)
{
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
    return m_pTable && m_pTable->SetFrequency(m_iMode, iChannel, dbFrequency);
}

bool ChannelTableDocument::InsertBlank(std::int32_t iChannel)
{
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
    return m_pTable && m_pTable->DeleteChannel(m_iMode, iChannel);
}

std::int32_t ChannelTableDocument::DeleteMany(const std::vector<std::int32_t>& channels)
{
    return m_pTable ? m_pTable->DeleteChannels(m_iMode, channels) : 0;
}

bool ChannelTableDocument::SetCountryCode(std::int32_t iCode)
{
    return m_pTable && m_pTable->SetCountryCode(iCode);
}
