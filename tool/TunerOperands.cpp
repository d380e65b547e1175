#include "tool/TunerOperands.h"

#include "tables/text/Json.h"
#include "tool/Options.h"
#include "tool/TableFile.h"

bool LoadChannelOperand(const std::string& path, ChannelTable& table, std::ostream& err)
{
    TableKind kind;
    std::string reason;
    if (!ResolveTableKind(path, std::nullopt, kind, reason)) {
        ReportProblem(err, path, reason);
        return false;
    }
    if (kind == TableKind::Legacy) {
        ReportProblem(
            err, "",
            OldTableRefusal("judged against tuners", "convert it (vornalix-tool convert) and judge the .ccf file"));
        return false;
    }
    if (kind != TableKind::Channel) {
        ReportProblem(err, path, "not a channel table (ccf)");
        return false;
    }
    if (!LoadChannelTable(path, table, reason)) {
        ReportProblem(err, path, reason);
        return false;
    }
    return true;
}

bool LoadTunerOperand(const std::string& path, TunerSpecTable& tuners, std::ostream& err)
{
    TableKind kind;
    std::string reason;
    if (!ResolveTableKind(path, std::nullopt, kind, reason) || kind != TableKind::Tuner) {
        ReportProblem(err, path, reason.empty() ? "not a tuner table (tsf)" : reason);
        return false;
    }
    if (!LoadTunerTable(path, tuners, reason)) {
        ReportProblem(err, path, reason);
        return false;
    }
    return true;
}

void WriteNonFiniteEdgesJson(JsonWriter& json, const TunerBands& bands)
{
    json.Key("edges_not_finite").BeginArray();
    for (const TunerEdge edge : bands.NonFiniteEdges())
        json.String(TunerEdgeKey(edge));
    json.EndArray();
}
