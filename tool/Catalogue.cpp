// catalogue: the factories and tuner types of a tuner catalogue, read as the
// tuner editor reads them.

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "tables/catalogue/TunerCatalogue.h"
#include "tables/text/Json.h"
#include "tool/Commands.h"
#include "tool/Help.h"
#include "tool/Options.h"

namespace {

std::string Code(std::int32_t code)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned>(code));
    return buffer;
}

std::string WhyNotOpen(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return "cannot be read: " + std::string(std::strerror(errno));
    return "cannot be read as a catalogue";
}

} // namespace

int RunCatalogue(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedOptions options;
    std::string error;
    if (!ParseOptions(args, {{"--json", nullptr, false}, {"--help", "-h", false}}, options, error))
        return ReportUsage(err, "catalogue", error);
    if (options.Has("--help"))
        return PrintHelp(out, "catalogue") ? kExitSuccess : kExitFailure;
    if (options.operands.size() > 1)
        return ReportUsage(err, "catalogue", "one catalogue at a time");

    TunerCatalogue catalogue;
    const std::string path = options.operands.empty() ? TunerCatalogue::DefaultPath() : options.operands.front();
    const bool bOpen = options.operands.empty() ? catalogue.Open() : catalogue.Open(path);
    if (!bOpen) {
        ReportProblem(err, path.empty() ? std::string(TunerCatalogue::kFileName) : path, WhyNotOpen(path));
        return kExitFailure;
    }
    const auto factories = catalogue.ReadFactories();
    if (!factories) {
        ReportProblem(err, path, "no factory list: section [Factory] with a Count line is missing");
        return kExitFailure;
    }

    const bool bJson = options.Has("--json");
    JsonWriter json;
    json.BeginObject().Key("factories").BeginArray();
    for (const CatalogueItem& factory : *factories) {
        const auto types = catalogue.ReadTunerTypes(factory.code);
        if (bJson) {
            json.BeginObject();
            json.Key("code").Integer(factory.code);
            json.Key("name").String(factory.text);
            json.Key("tuner_types");
            if (types) {
                json.BeginArray();
                for (const CatalogueItem& type : *types)
                    json.BeginObject().Key("code").Integer(type.code).Key("text").String(type.text).EndObject();
                json.EndArray();
            } else {
                json.Null();
            }
            json.EndObject();
            continue;
        }
        out << Code(factory.code) << '\t' << factory.text << '\n';
        if (!types) {
            out << "\t(no tuner types: section [" << TunerCatalogue::SectionName(factory.code)
                << "] with a Count line is missing)\n";
            continue;
        }
        // A tuner type's text already begins with its catalogue number.
        for (const CatalogueItem& type : *types)
            out << '\t' << type.text << '\n';
    }
    json.EndArray().EndObject();
    if (bJson)
        out << json.Text() << '\n';
    return kExitSuccess;
}
