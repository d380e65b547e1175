// What a second start sends the running instance: any bytes, read whole or
// in pieces cut where the input says, give the same outcome; every path let
// through is one a request may carry; the files read are sent again as the
// same request. Memory stays linear in the input.
#include <cstdlib>

#include "platform/ActivationMessage.h"

namespace {

struct Outcome
{
    ActivationRequestReader::State state;
    bool bActivated;
    std::vector<std::string> paths;
    bool operator==(const Outcome& other) const
    {
        return state == other.state && bActivated == other.bActivated && paths == other.paths;
    }
};

Outcome ReadInPieces(std::string_view bytes, std::size_t piece)
{
    ActivationRequestReader reader;
    while (!bytes.empty()) {
        const std::size_t length = std::min(piece, bytes.size());
        reader.Take(bytes.substr(0, length));
        bytes.remove_prefix(length);
    }
    reader.End();
    return {reader.Status(), reader.Activated(), reader.Paths()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses where the pieces are cut.
    const std::size_t piece = 1 + data[0] % 16;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const Outcome whole = ReadInPieces(bytes, bytes.size() + 1);
    if (!(ReadInPieces(bytes, piece) == whole))
        std::abort();
    if (whole.state != ActivationRequestReader::State::Finished && !whole.paths.empty())
        std::abort();
    std::size_t pathBytes = 0;
    for (const std::string& path : whole.paths) {
        if (!IsSendablePath(path))
            std::abort();
        pathBytes += path.size();
    }
    if (whole.paths.size() > activation::kMaxPaths || pathBytes > bytes.size())
        std::abort();
    if (whole.state == ActivationRequestReader::State::Finished) {
        const std::string again = ActivationRequest(whole.paths);
        if (!(ReadInPieces(again, again.size() + 1).paths == whole.paths))
            std::abort();
    }
    return 0;
}
