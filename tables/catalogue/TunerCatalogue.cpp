#include "tables/catalogue/TunerCatalogue.h"

#include "platform/DataFolders.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <utility>

#include <unistd.h>

std::int32_t BcdFromDecimal(std::int32_t a)
{
    const std::int64_t wide = static_cast<std::int64_t>(a % 10) + static_cast<std::int64_t>(a / 10) * 16;
    const std::uint32_t wrapped = static_cast<std::uint32_t>(wide);
    return wrapped <= 0x7FFFFFFFu ? static_cast<std::int32_t>(wrapped)
                                  : static_cast<std::int32_t>(static_cast<std::int64_t>(wrapped) - 0x100000000LL);
}

std::string TunerCatalogue::SectionName(std::int32_t iFactoryCode)
{
    char name[16];
    std::snprintf(name, sizeof name, "%02i", static_cast<int>(iFactoryCode));
    return name;
}

std::string TunerCatalogue::DefaultPath()
{
    const std::string folder = ExecutableFolder();
    return folder.empty() ? std::string() : folder + kFileName;
}

std::vector<std::string> TunerCatalogue::CandidatePaths()
{
    std::vector<std::string> paths;
    for (const std::string& folder : DataFolders())
        paths.push_back(folder == "/" ? folder + kFileName : folder + "/" + kFileName);
    return paths;
}

bool TunerCatalogue::Open()
{
    Close();
    // A candidate that exists but cannot be read (no permission, too large)
    // gives way to the next one rather than leaving the editor without factories.
    for (const std::string& path : CandidatePaths()) {
        if (Open(path))
            return true;
    }
    return false;
}

bool TunerCatalogue::Open(const std::string& path)
{
    Close();
    return m_inf.Open(path);
}

void TunerCatalogue::Close()
{
    m_inf.Close();
    m_factoryCodes = {};
    m_tunerTypeCodes = {};
}

std::optional<std::vector<CatalogueItem>> TunerCatalogue::ReadFactories()
{
    return ReadList("Factory", ListKind::Factories, m_factoryCodes);
}

std::optional<std::vector<CatalogueItem>> TunerCatalogue::ReadTunerTypes(std::int32_t iFactoryCode)
{
    return ReadList(SectionName(iFactoryCode), ListKind::TunerTypes, m_tunerTypeCodes);
}

std::optional<std::vector<CatalogueItem>> TunerCatalogue::ReadList(const std::string& section, ListKind kind,
                                                                   std::vector<std::int32_t>& codes)
{
    if (!m_inf.IsOpen())
        return std::nullopt;
    InfFile::Context countLine;
    std::int32_t iCount = 0;
    if (!m_inf.FindFirstLine(section, "Count", countLine) || !m_inf.GetIntField(countLine, 1, iCount))
        return std::nullopt;

    // The list is the Count lines right after the Count line; a Count beyond
    // the end of the section reads the lines that are there, and a negative
    // one reads none. The code array is sized by the lines actually read.
    try {
        codes.clear();
        codes.shrink_to_fit();
        std::vector<InfFile::Context> lines;
        InfFile::Context at = countLine;
        for (std::int32_t i = 0; i < iCount; ++i) {
            InfFile::Context next;
            if (!m_inf.FindNextLine(at, next))
                break;
            lines.push_back(next);
            at = next;
        }
        codes.assign(lines.size(), 0);

        std::vector<CatalogueItem> items;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            // A line whose number does not read as an integer still offers its
            // name, with the number 0: code 0x00, and "00 -- " before a tuner
            // type's name.
            std::int32_t iNumber = 0;
            if (!m_inf.GetIntField(lines[i], 0, iNumber))
                iNumber = 0;
            codes[i] = BcdFromDecimal(iNumber);
            std::string name;
            if (!m_inf.GetStringField(lines[i], 1, name))
                continue;
            CatalogueItem item;
            item.code = codes[i];
            if (kind == ListKind::TunerTypes) {
                char prefix[24];
                std::snprintf(prefix, sizeof prefix, "%02i -- ", static_cast<int>(iNumber));
                item.text = prefix + name;
            } else {
                item.text = std::move(name);
            }
            items.push_back(std::move(item));
        }
        return items;
    } catch (const std::bad_alloc&) {
        codes = {};
        return std::nullopt;
    }
}
