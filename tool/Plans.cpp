// plans: the standard channel plans and the countries that use them, as the
// channel editor's "New from Plan..." lists them; build --plan and
// --country-plan: a new table filled from them as the editor fills it.

#include "edit/ChannelTableDocument.h"
#include "platform/Printable.h"
#include "tables/catalogue/ChannelPlans.h"
#include "tables/format/TableFormat.h"
#include "tables/text/Json.h"
#include "tool/Commands.h"
#include "tool/Help.h"
#include "tool/Options.h"

namespace {

void ReportPlanProblem(std::ostream& err, const PlanProblem& problem)
{
    ReportProblem(err, problem.path,
                  problem.line == 0 ? problem.reason : "line " + std::to_string(problem.line) + ": " + problem.reason);
}

// Broken plan files are told, each on its own line; the listing goes on without them.
void ReportPlanProblems(const PlanLibrary& library, std::ostream& err)
{
    for (const PlanProblem& problem : library.Problems())
        ReportPlanProblem(err, problem);
}

const char* Numbering(const PlanOutline& outline)
{
    return outline.bLabelsArePositions ? "labels are channel numbers" : "numbered from 1 in order";
}

// Every field that comes from a file (a name, a label, a path) in its
// printable form, so that no field can end the line, add a column or reach the
// terminal as a control sequence.
void ListPlans(const PlanLibrary& library, std::ostream& out)
{
    out << "plans: " << library.Plans().size() << '\n';
    for (const ListedPlan& plan : library.Plans())
        out << PrintableText(plan.name) << '\t' << plan.outline.channelCount << '\t'
            << PrintableText(plan.outline.firstLabel) << '\t' << PrintableText(plan.outline.lastLabel) << '\t'
            << Numbering(plan.outline) << '\t' << PrintableText(plan.source) << '\n';
    out << "countries: " << library.Countries().size() << '\n';
    for (const CountryPlans& country : library.Countries())
        out << PrintableText(country.name) << '\t' << country.iCallingCode << '\t' << PrintableText(country.tvSystem)
            << '\t' << PrintableText(country.airPlan) << '\t' << PrintableText(country.cablePlan) << '\n';
}

// Names and labels are JSON strings, which hold any text exactly and escape
// every control character; the problems are the lines standard error gets.
void WritePlansJson(const PlanLibrary& library, std::ostream& out)
{
    JsonWriter json;
    json.BeginObject().Key("plans").BeginArray();
    for (const ListedPlan& plan : library.Plans()) {
        json.BeginObject();
        json.Key("name").String(plan.name);
        json.Key("source").String(plan.source);
        json.Key("section").String(plan.section);
        json.Key("own").Integer(plan.bOwn ? 1 : 0);
        json.Key("channels").Integer(static_cast<std::int64_t>(plan.outline.channelCount));
        json.Key("positions").Integer(static_cast<std::int64_t>(plan.outline.positionCount));
        json.Key("labels_are_positions").Integer(plan.outline.bLabelsArePositions ? 1 : 0);
        json.Key("first").String(plan.outline.firstLabel);
        json.Key("last").String(plan.outline.lastLabel);
        json.EndObject();
    }
    json.EndArray().Key("countries").BeginArray();
    for (const CountryPlans& country : library.Countries()) {
        json.BeginObject();
        json.Key("name").String(country.name);
        json.Key("code").Integer(country.iCallingCode);
        json.Key("tv_system").String(country.tvSystem);
        json.Key("plan").String(country.airPlan);
        json.Key("cable_plan").String(country.cablePlan);
        json.EndObject();
    }
    json.EndArray().Key("problems").BeginArray();
    for (const PlanProblem& problem : library.Problems())
        json.String(PrintableText(problem.Text()));
    json.EndArray().EndObject();
    out << json.Text() << '\n';
}

} // namespace

int RunPlans(const Arguments& args, std::ostream& out, std::ostream& err)
{
    ParsedOptions options;
    std::string error;
    if (!ParseOptions(args, {{"--json", nullptr, false}, {"--help", "-h", false}}, options, error))
        return ReportUsage(err, "plans", error);
    if (options.Has("--help"))
        return PrintHelp(out, "plans") ? kExitSuccess : kExitFailure;
    if (!options.operands.empty())
        return ReportUsage(err, "plans", "plans takes no arguments");

    const PlanLibrary library = PlanLibrary::Load();
    ReportPlanProblems(library, err);
    if (options.Has("--json"))
        WritePlansJson(library, out);
    else
        ListPlans(library, out);
    return kExitSuccess;
}

int BuildFromPlans(const std::string* pPlan, const std::string* pCountry, const std::string& output, std::ostream& err)
{
    const auto named = TableKindFromPath(output);
    if (named && *named != TableKind::Channel) {
        ReportProblem(err, output,
                      std::string("the name says ") + TableKindName(*named) + ", but the table is a ccf table");
        return kExitFailure;
    }
    const PlanLibrary library = PlanLibrary::Load();
    // The files the table is made from: the index and country list, and the
    // plans its lists are filled from.
    std::vector<std::string> inputs;
    if (const std::string installed = PlanLibrary::InstalledFolder(); !installed.empty()) {
        inputs.push_back(installed + "/" + PlanLibrary::kIndexFileName);
        inputs.push_back(installed + "/" + PlanLibrary::kCountriesFileName);
    }
    ChannelTableDocument document;
    PlanProblem problem;
    if (pPlan) {
        const ListedPlan* pFound = library.FindPlan(*pPlan);
        if (!pFound) {
            ReportPlanProblems(library, err);
            ReportProblem(
                err, "", "no channel plan is named \"" + PrintableText(*pPlan) + "\" (vornalix-tool plans lists them)");
            return kExitFailure;
        }
        inputs.push_back(pFound->path);
        if (OutputReplacesInput(inputs, output, err))
            return kExitFailure;
        if (!document.NewFromPlan(*pFound, problem)) {
            ReportPlanProblem(err, problem);
            return kExitFailure;
        }
    } else {
        const CountryPlans* pFound = library.FindCountry(*pCountry);
        if (!pFound) {
            ReportPlanProblems(library, err);
            ReportProblem(err, "",
                          "no country has the calling code or name \"" + PrintableText(*pCountry) +
                              "\" (vornalix-tool plans lists them)");
            return kExitFailure;
        }
        for (const std::string* pName : {&pFound->airPlan, &pFound->cablePlan}) {
            if (const ListedPlan* pPlanFile = pName->empty() ? nullptr : library.FindPlan(*pName))
                inputs.push_back(pPlanFile->path);
        }
        if (OutputReplacesInput(inputs, output, err))
            return kExitFailure;
        if (!document.NewFromCountry(*pFound, library, &problem)) {
            ReportPlanProblems(library, err);
            // A plan listed but changed or gone since.
            if (!problem.path.empty())
                ReportPlanProblem(err, problem);
            ReportProblem(err, "",
                          "the plans of " + PrintableText(pFound->name) + " (" + PrintableText(pFound->airPlan) + ", " +
                              PrintableText(pFound->cablePlan) + ") cannot all be read");
            return kExitFailure;
        }
    }
    FileError saveError;
    if (document.Save(output, saveError))
        return kExitSuccess;
    ReportProblem(err, output, "cannot be written: " + saveError.text);
    return kExitFindings;
}
