// The channel plan reader: a plan file among a person's own plans is listed
// or reported in one short line, never both; a listed plan, read again when
// chosen, has the outline the listing kept and fills a new table whose list,
// saved and loaded again, holds exactly the plan's positions.
#include <algorithm>

#include <sys/stat.h>

#include "ChannelPlans.h"
#include "ChannelTableDocument.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string own = [] {
        const std::string folder = FuzzPath("own");
        ::mkdir(folder.c_str(), 0700);
        return folder;
    }();
    WriteInput("own/plan.csv", data, size);
    const PlanLibrary library = PlanLibrary::Load("", own);
    if (library.Plans().size() + library.Problems().size() != 1)
        std::abort();
    if (!library.Problems().empty()) {
        const PlanProblem& problem = library.Problems().front();
        if (problem.reason.empty() || problem.reason.size() > 200 || problem.reason.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }

    // The listing keeps the outline the reader gives; the positions read when
    // the plan is chosen are the plan's.
    const ListedPlan& listed = library.Plans().front();
    ChannelPlan plan;
    PlanProblem problem;
    std::vector<double> positions;
    if (!ParseChannelPlan(std::string_view(reinterpret_cast<const char*>(data), size), plan, problem) ||
        OutlineOf(plan) != listed.outline || !ReadListedPlan(listed, positions, problem) ||
        positions != plan.Positions())
        std::abort();
    if (plan.channels.empty() || positions.size() != plan.PositionCount() || positions.size() > kMaxPlanChannels ||
        positions.size() < plan.channels.size() || size > kMaxPlanFileBytes)
        std::abort();
    for (const PlanChannel& channel : plan.channels)
        if (channel.label.empty() || channel.label.size() > kMaxPlanLabelBytes)
            std::abort();
    ChannelTableDocument doc;
    if (!doc.NewFromPlan(listed, problem) || doc.CurrentFrequencies() != positions)
        std::abort();

    // The range is the first and last channel with a frequency, as appending gives it.
    const auto filled = [](double f) { return f > 0.0; };
    const auto first = std::find_if(positions.begin(), positions.end(), filled);
    const ChannelRange range = doc.Range(ChannelModeAir);
    if (first == positions.end()
            ? range.iMin != 0 || range.iMax != 0
            : range.iMin != (first - positions.begin()) + 1 ||
                  range.iMax != positions.rend() - std::find_if(positions.rbegin(), positions.rend(), filled))
        std::abort();

    FileError error;
    const std::string saved = FuzzPath("plan.ccf");
    if (!doc.Save(saved, error))
        std::abort();
    ChannelTableDocument loaded;
    if (!loaded.Load(saved, error) || loaded.CurrentFrequencies() != positions)
        std::abort();
    return 0;
}
