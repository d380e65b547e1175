// The tool's JSON reader under build: a document becomes a table and its file
// through the real command, and that file's own dump --json builds the same
// bytes again, as build's help promises. A refused document writes nothing
// and says why in one short line. scripts/fuzz.sh adds inputs of 200,000 keys
// and of both lists at their full size.
#include <set>

#include "fuzz/ToolBuildSupport.h"
#include "tables/text/Json.h"
#include "tables/text/TableJson.h"

namespace {

// Inputs up to this size are also kept whole as JsonValues, to check them.
constexpr std::size_t kWholeDocumentLimit = 256 * 1024;

// No object the reader takes holds a key twice: checked the slow way.
void CheckKeysAreUnique(const JsonValue& value)
{
    std::set<std::string> keys;
    for (const auto& member : value.members) {
        if (!keys.insert(member.first).second)
            std::abort();
        CheckKeysAreUnique(member.second);
    }
    for (const JsonValue& item : value.items)
        CheckKeysAreUnique(item);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size <= kWholeDocumentLimit) {
        JsonValue whole;
        JsonParseError error;
        if (ParseJson(std::string_view(reinterpret_cast<const char*>(data), size), whole, error))
            CheckKeysAreUnique(whole);
    }

    const std::string input = WriteInput("in.json", data, size);
    // No extension that names a table type: the document alone decides.
    const std::string output = FuzzPath("out.table");
    if (!BuildWroteTable({input, "-o", output}, input, output))
        return 0;

    TableJsonDocument document;
    JsonParseError error;
    if (!document.Read(std::string_view(reinterpret_cast<const char*>(data), size), error))
        std::abort(); // build took it
    const std::string format = JsonTableFormat(document.Root());
    const CommandRun dump = RunCommand(RunDump, {"--json", "--type", format, output});
    if (dump.status != kExitSuccess || !dump.err.empty())
        std::abort();
    const std::string dumped = WriteText("dumped.json", dump.out);
    const std::string again = FuzzPath("again.table");
    ::unlink(again.c_str());
    const CommandRun rebuild = RunCommand(RunBuild, {dumped, "-o", again});
    if (rebuild.status != kExitSuccess || FileBytes(again) != FileBytes(output))
        std::abort();
    return 0;
}
