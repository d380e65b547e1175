// The remembered window sizes: any text reads into sizes within their bounds,
// and the text written of them reads back as the same sizes, so that a file
// the program rewrites keeps what it read. Memory stays linear in the input.
#include <cstdlib>

#include "platform/WindowSizesText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const WindowSizes sizes = ReadWindowSizes(text);
    for (const auto& [id, windowSize] : sizes) {
        if (id < 1 || windowSize.width < 1 || windowSize.width > kMaxWindowSide || windowSize.height < 1 ||
            windowSize.height > kMaxWindowSide)
            std::abort();
    }
    // Each window takes a line of at least six bytes ("1 1 1" and its end).
    if (sizes.size() * 5 > size)
        std::abort();
    const std::string written = WindowSizesText(sizes);
    if (ReadWindowSizes(written) != sizes)
        std::abort();
    if (written.size() > 40 * sizes.size())
        std::abort();
    return 0;
}
