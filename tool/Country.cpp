// country: the catalogue's names for country codes.

#include <limits>

#include "tables/catalogue/CountryCatalogue.h"
#include "tables/text/Numbers.h"
#include "tool/Commands.h"
#include "tool/Help.h"
#include "tool/Options.h"

int RunCountry(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedOptions options;
    std::string error;
    if (!ParseOptions(args, {{"--help", "-h", false}}, options, error))
        return ReportUsage(err, "country", error);
    if (options.Has("--help"))
        return PrintHelp(out, "country") ? kExitSuccess : kExitFailure;
    if (options.operands.empty())
        return ReportUsage(err, "country", "no country code given");

    int status = kExitSuccess;
    for (const std::string& text : options.operands) {
        std::int64_t iCode = 0;
        if (!ParseInteger(text, iCode) || iCode < std::numeric_limits<std::int32_t>::min() ||
            iCode > std::numeric_limits<std::int32_t>::max()) {
            ReportProblem(err, "", "\"" + text + "\" is not a country code (a whole number)");
            status = kExitFailure;
            continue;
        }
        const CountryLookup names = LookupCountry(static_cast<std::int32_t>(iCode));
        out << iCode << '\t' << names.pszCountry << '\t' << names.pszTvSystem << '\n';
    }
    return status;
}
