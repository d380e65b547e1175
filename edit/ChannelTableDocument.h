#pragma once
// A channel table being edited, without any widget: the table, the list being
// worked on (the mode), how the table came to be (its origin) and the
// channels the last click and the last right click chose, with every rule of
// the editor's commands. A view shows the document and refreshes what each
// command reports as changed.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ChannelPlans.h"
#include "ChannelTable.h"
#include "FileIO.h"

// How the table came to be.
enum TableOrigin : std::int32_t
{
    TableOriginNone = 7,     // no table made since the editor opened
    TableOriginCreated = 11, // made by "Create New"
    TableOriginLoaded = 13,  // made by "LoadFromFile"
};

struct ChannelRange
{
    std::int32_t iMin = 0;
    std::int32_t iMax = 0;
};

class ChannelTableDocument
{
public:
    ChannelTableDocument() = default;
    ChannelTableDocument(const ChannelTableDocument&) = delete;
    ChannelTableDocument& operator=(const ChannelTableDocument&) = delete;
    ~ChannelTableDocument();

    const ChannelTable* Table() const { return m_pTable.get(); }
    bool HasTable() const { return m_pTable != nullptr; }
    std::int32_t Mode() const { return m_iMode; }
    std::int32_t Origin() const { return m_iTableOrigin; }

    // The channel "Save value" writes (the last clicked row + 1; 0 for none).
    std::int32_t EditIndex() const { return m_iEditIndex; }
    void SetEditIndex(std::int32_t iChannel) { m_iEditIndex = iChannel; }
    // The channel the row menu acts on (the first selected row + 1 at the right click).
    std::int32_t SelIndex() const { return m_iSelIndex; }
    void SetSelIndex(std::int32_t iChannel) { m_iSelIndex = iChannel; }

    // The frequencies of the current list, in channel order.
    std::vector<double> CurrentFrequencies() const;
    double Frequency(std::int32_t iChannel) const;
    // The stored range of a list; {0, 0} without a table or for another mode.
    ChannelRange Range(std::int32_t iMode) const;
    std::int32_t CountryCode() const;

    // Air for 0, cable for 1, none for any other value but a negative one,
    // which is ignored.
    void SetMode(std::int32_t iMode);

    // "Create New": a loaded table is dropped, a created one is kept with its
    // channels and country code; the origin becomes Created. False only when
    // no table could be made.
    bool CreateNew();
    // "LoadFromFile": the file is read into a table of its own, which takes
    // the place of the current one only when it loaded; a failed load leaves
    // the table, its origin and the mode as they were.
    bool Load(const std::string& path, FileError& error);
    bool Save(const std::string& path, FileError& error);
    // "New from Plan...": a new table in place of the current one, with the
    // origin "Create New" gives, whose current list (air when no list is
    // chosen yet) holds the plan's channels at their positions. False, with
    // the table as it was, when the plan does not fit a list.
    bool NewFromPlan(const ChannelPlan& plan);
    // The same for a country: its broadcast plan fills the air list, its
    // cable plan the cable list (either may be missing) and its calling code
    // is the country code; the air list is shown. False, with the table as it
    // was, when a plan the country names is not in the library.
    bool NewFromCountry(const CountryPlans& country, const PlanLibrary& library);
    // Starts a fresh editing session: no table, origin None, no mode.
    void Reset();

    // The channel commands act on the current list; each returns whether the
    // table took the change. Appending, inserting and deleting recompute the
    // list's range; overwriting a frequency does not.
    bool Append(double dbFrequency);
    bool SetFrequency(std::int32_t iChannel, double dbFrequency);
    bool InsertBlank(std::int32_t iChannel);
    bool Delete(std::int32_t iChannel);
    // Channels 1-based, ascending and distinct: the lists and ranges end as
    // deleting them one by one from the highest would leave them.
    std::int32_t DeleteMany(const std::vector<std::int32_t>& channels);
    // Codes of 0 or less are refused by the table.
    bool SetCountryCode(std::int32_t iCode);

private:
    // Takes a table made from plans as "Create New" takes a new one.
    void TakeNewTable(std::unique_ptr<ChannelTable> pTable, std::int32_t iMode);

    std::unique_ptr<ChannelTable> m_pTable;
    std::int32_t m_iMode = ChannelModeNone;
    std::int32_t m_iTableOrigin = TableOriginNone;
    std::int32_t m_iSelIndex = 0;
    std::int32_t m_iEditIndex = 0;
};
