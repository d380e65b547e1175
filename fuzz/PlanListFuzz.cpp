// The plan index and the country list readers: each either reads every row
// into an entry or refuses the text with one short line; the installed set
// read from such files lists what its index names and reports the rest.
#include <algorithm>

#include <sys/stat.h>

#include "fuzz/FuzzSupport.h"
#include "tables/catalogue/ChannelPlans.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto shortLine = [](const PlanProblem& problem) {
        return !problem.reason.empty() && problem.reason.size() <= 200 &&
               problem.reason.find('\n') == std::string::npos;
    };

    std::vector<ChannelPlan> plans;
    PlanProblem problem;
    if (ParsePlanIndex(text, plans, problem)) {
        for (const ChannelPlan& plan : plans)
            if (plan.name.empty())
                std::abort();
    } else if (!shortLine(problem)) {
        std::abort();
    }

    std::vector<CountryPlans> countries;
    problem = PlanProblem();
    if (ParseCountryPlans(text, countries, problem)) {
        for (const CountryPlans& country : countries)
            if (country.name.empty() || country.iCallingCode < 1)
                std::abort();
    } else if (!shortLine(problem)) {
        std::abort();
    }

    // The same text as both files of an installed set whose plans are absent:
    // every named plan is reported, nothing is listed that the index does not name.
    static const std::string installed = [] {
        const std::string folder = FuzzPath("installed");
        ::mkdir(folder.c_str(), 0700);
        return folder;
    }();
    WriteInput("installed/channel-plans-index.csv", data, size);
    WriteInput("installed/country-plans.csv", data, size);
    const PlanLibrary library = PlanLibrary::Load(installed, "");
    for (const PlanProblem& reported : library.Problems())
        if (!shortLine(reported))
            std::abort();
    if (library.Countries().size() != countries.size())
        std::abort();
    for (const ListedPlan& plan : library.Plans())
        if (std::find_if(plans.begin(), plans.end(), [&](const ChannelPlan& p) { return p.name == plan.name; }) ==
            plans.end())
            std::abort();
    return 0;
}
