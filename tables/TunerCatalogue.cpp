#include "TunerCatalogue.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <utility>

#include <unistd.h>

namespace {

// The value of an environment variable that names a folder; empty when the
// variable is unset or empty, or names a relative folder, which the XDG base
// directory rules declare invalid: such a variable counts as unset.
std::string AbsoluteFolder(const char* pszValue)
{
    if (!pszValue || pszValue[0] != '/')
        return {};
    return pszValue;
}

// The absolute folders of a colon-separated list, in its order.
std::vector<std::string> AbsoluteFolders(const char* pszList)
{
    std::vector<std::string> folders;
    const std::string list = pszList ? pszList : "";
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t colon = std::min(list.find(':', start), list.size());
        const std::string folder = AbsoluteFolder(list.substr(start, colon - start).c_str());
        if (!folder.empty())
            folders.push_back(folder);
        start = colon + 1;
    }
    return folders;
}

} // namespace

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
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            const std::string exe(buffer.data(), static_cast<std::size_t>(n));
            const auto slash = exe.rfind('/');
            if (slash == std::string::npos)
                return {};
            return exe.substr(0, slash + 1) + kFileName;
        }
        // The link may have been cut to the buffer: try again with more room.
        if (buffer.size() >= (std::size_t{1} << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::vector<std::string> TunerCatalogue::CandidatePaths()
{
    std::vector<std::string> paths;
    const auto add = [&paths](const std::string& folder) {
        std::string path = (std::filesystem::path(folder) / kFileName).lexically_normal().string();
        if (std::find(paths.begin(), paths.end(), path) == paths.end())
            paths.push_back(std::move(path));
    };

    // A catalogue beside the program wins, so a copy of the program can carry its own.
    const std::string beside = DefaultPath();
    if (!beside.empty()) {
        const std::string folder = beside.substr(0, beside.rfind('/') + 1);
        add(folder);
        // An installed program: <prefix>/bin/vornalix reads <prefix>/share/vornalix.
        add(folder + "../share/vornalix");
    }

    std::string dataHome = AbsoluteFolder(std::getenv("XDG_DATA_HOME"));
    if (dataHome.empty()) {
        const std::string home = AbsoluteFolder(std::getenv("HOME"));
        if (!home.empty())
            dataHome = home + "/.local/share";
    }
    if (!dataHome.empty())
        add(dataHome + "/vornalix");

    std::vector<std::string> dataDirs = AbsoluteFolders(std::getenv("XDG_DATA_DIRS"));
    if (dataDirs.empty())
        dataDirs = AbsoluteFolders("/usr/local/share:/usr/share");
    for (const std::string& folder : dataDirs)
        add(folder + "/vornalix");
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
