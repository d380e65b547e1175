#pragma once
// The tuner catalogue "TunerSpec.inf": the factories and, per factory, the
// tuner types that may be entered in a tuner specification table. Read only;
// open for as long as the tuner editor is, and read again at every factory
// choice.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tables/catalogue/InfFile.h"

// A catalogue number turned into a code with one decimal digit per
// hexadecimal nibble: a % 10 + (a / 10) * 16, truncating toward zero, so 12
// gives 0x12 and -12 gives -18. From 100 on the digits no longer fit a nibble
// (123 gives 0xC3). Results beyond 32 bits wrap.
std::int32_t BcdFromDecimal(std::int32_t a);

struct CatalogueItem
{
    std::int32_t code = 0;
    std::string text;
};

class TunerCatalogue
{
public:
    static constexpr const char* kFileName = "TunerSpec.inf";

    TunerCatalogue() = default;
    TunerCatalogue(const TunerCatalogue&) = delete;
    TunerCatalogue& operator=(const TunerCatalogue&) = delete;

    // Opens the first catalogue of CandidatePaths() that can be read.
    bool Open();
    bool Open(const std::string& path);
    bool IsOpen() const { return m_inf.IsOpen(); }
    void Close();

    // No list (empty optional) tells the caller to keep what it shows; a list,
    // even an empty one, replaces it. A line whose number does not read as an
    // integer gives an item with the number 0 (code 0x00, and "00 -- " before
    // a tuner type's name); a line whose name does not read gives none.
    std::optional<std::vector<CatalogueItem>> ReadFactories();
    std::optional<std::vector<CatalogueItem>> ReadTunerTypes(std::int32_t iFactoryCode);

    // The codes of the lines last read, one per line (0 for a line without a number).
    const std::vector<std::int32_t>& FactoryCodes() const { return m_factoryCodes; }
    const std::vector<std::int32_t>& TunerTypeCodes() const { return m_tunerTypeCodes; }

    // The section that holds a factory's tuner types: its code as "%02i".
    static std::string SectionName(std::int32_t iFactoryCode);
    // "TunerSpec.inf" beside the running executable; empty when the
    // executable's path cannot be read.
    static std::string DefaultPath();
    // Where Open() looks, in this order: beside the executable; the
    // installation's data folder, ../share/vornalix beside the executable's
    // folder; $XDG_DATA_HOME/vornalix (default ~/.local/share); each folder of
    // $XDG_DATA_DIRS (default /usr/local/share:/usr/share) + /vornalix. A
    // relative folder in those variables is not used; a variable that names no
    // absolute folder counts as unset. Paths are normalised and each is listed once.
    static std::vector<std::string> CandidatePaths();

private:
    // What kind of list a section holds decides how an item's text is made.
    enum class ListKind
    {
        Factories,
        TunerTypes,
    };
    std::optional<std::vector<CatalogueItem>> ReadList(const std::string& section, ListKind kind,
                                                       std::vector<std::int32_t>& codes);

    InfFile m_inf;
    std::vector<std::int32_t> m_factoryCodes;
    std::vector<std::int32_t> m_tunerTypeCodes;
};
