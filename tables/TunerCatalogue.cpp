#include "TunerCatalogue.h"

#include <cstdio>
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

bool TunerCatalogue::Open()
{
    Close();
    const std::string path = DefaultPath();
    return !path.empty() && Open(path);
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
            std::int32_t iNumber = 0;
            std::string name;
            // A line without a number has no code to offer and yields no item.
            if (!m_inf.GetIntField(lines[i], 0, iNumber))
                continue;
            codes[i] = BcdFromDecimal(iNumber);
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
