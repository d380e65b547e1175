#include "edit/LegacyConversion.h"

#include <optional>
#include <vector>

#include <sys/stat.h>

#include "platform/FileIdentity.h"
#include "platform/Trash.h"

bool WouldReplaceInput(const std::string& input, const std::string& output)
{
    return IsSameFile(input, output);
}

namespace {

// The bytes of the regular file at path, when there is one there.
std::optional<std::vector<std::uint8_t>> ExistingBytes(const std::string& path, std::size_t limit)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    FileError ignored;
    if (!ReadFileBytes(path.c_str(), bytes, limit, &ignored))
        return std::nullopt;
    return bytes;
}

} // namespace

ConversionResult ConvertAndWrite(const LegacyChannelTable& legacy, const std::string& input, const std::string& output,
                                 ChannelTable& result, FileError& error, std::string* pKeptInTrash)
{
    if (!result.ConvertFromLegacy(&legacy))
        return ConversionResult::NotConvertible;
    // The output rule keeps the name up to its last dot, so an old table not
    // named .cft (say fr.ccf) would be written over itself.
    if (WouldReplaceInput(input, output))
        return ConversionResult::WouldReplaceInput;
    // A converted table replaces an older one without a question, but never
    // without a trace: a file that differs from the new one (a conversion
    // mended by hand since) goes to the Trash first.
    const std::vector<std::uint8_t> image = result.FileImage();
    const std::optional<std::vector<std::uint8_t>> existing = ExistingBytes(output, image.size() + 1);
    if (existing && *existing != image) {
        FileError trashError;
        const std::string kept = KeepInTrash(output, trashError);
        if (kept.empty()) {
            error.Set(trashError.code, "the file there could not be kept in the Trash (" + trashError.text +
                                           "), so it was not replaced");
            return ConversionResult::SaveFailed;
        }
        if (pKeptInTrash)
            *pKeptInTrash = kept;
    }
    if (!result.Save(output.c_str(), &error))
        return ConversionResult::SaveFailed;
    return ConversionResult::Written;
}
