// The channel plan reader: a plan file among a person's own plans is listed
// or reported in one short line, never both; a listed plan, read again when
// chosen, has the outline the listing kept and fills a new table whose list,
// saved and loaded again, holds exactly the plan's positions; read with its
// labels, every channel of it with a frequency has a label from the plan.
// The same text made longer than the first lines the editors list a plan
// from is refused, or read whole when chosen, as a whole listing reads it.
#include <algorithm>
#include <cmath>
#include <map>
#include <string_view>

#include <sys/stat.h>

#include "edit/ChannelTableDocument.h"
#include "fuzz/FuzzSupport.h"
#include "tables/catalogue/ChannelPlans.h"
#include "tables/catalogue/PlanLabels.h"

namespace {

void ListFromFirstLinesAsWhole(const std::uint8_t* data, std::size_t size)
{
    static const std::string folder = [] {
        const std::string path = FuzzPath("lines");
        ::mkdir(path.c_str(), 0700);
        return path;
    }();
    std::string text(reinterpret_cast<const char*>(data), size);
    while (text.size() <= kPlanFirstLinesBytes)
        text += "\n9,1";
    WriteInput("lines/plan.csv", reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    const PlanLibrary whole = PlanLibrary::Load("", folder);
    PlanLibrary listed = PlanLibrary::Load("", folder, PlanListing::FirstLines);
    if (whole.Plans().size() + whole.Problems().size() != 1 || listed.Plans().size() + listed.Problems().size() != 1)
        std::abort();
    if (!listed.Problems().empty()) {
        if (whole.Problems().empty() || whole.Problems().front().Text() != listed.Problems().front().Text())
            std::abort();
        return;
    }
    PlanProblem problem;
    const ListedPlan& plan = listed.Plans().front();
    const bool bRead = listed.ReadWhole(plan, problem);
    if (bRead != whole.Problems().empty() || (bRead && plan.outline != whole.Plans().front().outline) ||
        (!bRead && problem.Text() != whole.Problems().front().Text()))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string own = [] {
        const std::string folder = FuzzPath("own");
        ::mkdir(folder.c_str(), 0700);
        return folder;
    }();
    WriteInput("own/plan.csv", data, size);
    ListFromFirstLinesAsWhole(data, size);
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
    // The labels a view asks for: read from the file as the plan, and every
    // channel with a frequency named by a channel of the plan at that frequency.
    ChannelPlan labelled;
    if (!ReadChannelPlanFile(listed.path, labelled, problem) || labelled.channels.size() != plan.channels.size())
        std::abort();
    labelled.name = listed.name;
    const PlanLabels labels(&labelled, nullptr);
    std::multimap<std::string_view, double> frequenciesOfLabel;
    for (const PlanChannel& channel : plan.channels)
        frequenciesOfLabel.emplace(channel.label, channel.dbFrequency);
    for (const PlanChannel& channel : plan.channels) {
        const std::optional<PlanLabels::Match> match = labels.Find(ChannelModeCable, channel.dbFrequency);
        if (!(channel.dbFrequency > 0.0) || !std::isfinite(channel.dbFrequency)) {
            if (match)
                std::abort();
            continue;
        }
        if (!match || !match->bBroadcastPlan || match->planName != listed.name)
            std::abort();
        const auto [begin, end] = frequenciesOfLabel.equal_range(match->label);
        if (std::none_of(begin, end, [&](const auto& named) {
                return std::fabs(named.second - channel.dbFrequency) <= PlanLabels::kLabelTolerance;
            }))
            std::abort();
    }

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
