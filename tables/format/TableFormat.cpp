#include "tables/format/TableFormat.h"

#include <cstring>
#include <vector>

const char* TableKindName(TableKind kind)
{
    switch (kind) {
    case TableKind::Channel: return "ccf";
    case TableKind::Legacy: return "cft";
    case TableKind::Tuner: return "tsf";
    }
    return "";
}

std::optional<TableKind> TableKindFromName(const std::string& name)
{
    std::string lower = name;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    for (TableKind kind : {TableKind::Channel, TableKind::Legacy, TableKind::Tuner}) {
        if (lower == TableKindName(kind))
            return kind;
    }
    return std::nullopt;
}

std::optional<TableKind> TableKindFromPath(const std::string& path)
{
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    return TableKindFromName(path.substr(dot + 1));
}

std::optional<TableKind> TableKindFromMagic(const std::uint8_t* pHead, std::size_t size)
{
    if (!pHead || size < 8)
        return std::nullopt;
    if (std::memcmp(pHead + 4, kChannelTableMagic, 4) == 0)
        return TableKind::Channel;
    if (std::memcmp(pHead + 4, kTunerTableMagic, 4) == 0)
        return TableKind::Tuner;
    return std::nullopt;
}

std::optional<TableKind> DetectTableKind(const std::string& path, NonRegularFiles nonRegular)
{
    if (const auto byName = TableKindFromPath(path))
        return byName;
    std::vector<std::uint8_t> head;
    if (!ReadFileBytes(path.c_str(), head, 8, nullptr, nonRegular))
        return std::nullopt;
    return TableKindFromMagic(head.data(), head.size());
}
