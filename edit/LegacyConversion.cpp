#include "LegacyConversion.h"

#include <sys/stat.h>

bool WouldReplaceInput(const std::string& input, const std::string& output)
{
    if (input == output)
        return true;
    struct stat in;
    struct stat out;
    if (::stat(input.c_str(), &in) != 0 || ::stat(output.c_str(), &out) != 0)
        return false;
    return in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

ConversionResult ConvertAndWrite(const LegacyChannelTable& legacy, const std::string& input, const std::string& output,
                                 ChannelTable& result, FileError& error)
{
    if (!result.ConvertFromLegacy(&legacy))
        return ConversionResult::NotConvertible;
    // The output rule keeps the name up to its last dot, so an old table not
    // named .cft (say fr.ccf) would be written over itself.
    if (WouldReplaceInput(input, output))
        return ConversionResult::WouldReplaceInput;
    if (!result.Save(output.c_str(), &error))
        return ConversionResult::SaveFailed;
    return ConversionResult::Written;
}
