// The table check of a file image, as the editors' status line runs it on its
// worker: any bytes as a channel table image and as a tuner table image. A
// finding never names a channel or entry the image does not hold. Seeds: the
// chfq and tnsp corpora.
#include <cstdlib>
#include <vector>

#include "FuzzSupport.h"
#include "TableChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> image(data, data + size);
    // Each channel takes 8 bytes and each entry 64: no position lies beyond them.
    const auto within = [size](std::size_t recordSize) {
        return [size, recordSize](const TableFinding& finding) {
            if (finding.iPosition < 0 || static_cast<std::size_t>(finding.iPosition) * recordSize > size)
                std::abort();
        };
    };
    CheckChannelTableImage(image, within(8));
    CheckTunerTableImage(image, within(TunerSpecEntry::kSize));
    return 0;
}
