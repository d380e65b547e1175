// The preview of a kept copy: the first byte picks the kind (even: channel
// table, odd: tuner table), the rest is the copy. The preview reads only
// inside the image and never more than its rows need, calls an image whole
// exactly when the listing does, and then holds the first rows of each list
// as the image stores them; read from the folder it is the same.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "edit/RecoveryStore.h"
#include "fuzz/FuzzSupport.h"
#include "tables/format/ByteOrder.h"
#include "tables/format/ChannelTable.h"
#include "tables/format/TunerSpecEntry.h"
#include "tables/format/TunerSpecTable.h"

namespace {

constexpr std::size_t kMaxRows = 4;
const char* const kCopyName = "1765000000-1-0.";

bool SamePreview(const RecoveryPreview& a, const RecoveryPreview& b)
{
    if (a.bWhole != b.bWhole || a.counts.iFirst != b.counts.iFirst || a.counts.iSecond != b.counts.iSecond ||
        a.channels.size() != b.channels.size() || a.tuners.size() != b.tuners.size())
        return false;
    for (std::size_t i = 0; i < a.channels.size(); ++i) {
        if (a.channels[i].bCable != b.channels[i].bCable || a.channels[i].iChannel != b.channels[i].iChannel ||
            std::memcmp(&a.channels[i].dbFrequency, &b.channels[i].dbFrequency, sizeof(double)) != 0)
            return false;
    }
    for (std::size_t i = 0; i < a.tuners.size(); ++i) {
        if (a.tuners[i].iFactory != b.tuners[i].iFactory || a.tuners[i].iTunerType != b.tuners[i].iTunerType)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string recovery = [] {
        const std::string state = FuzzPath("state");
        ::setenv("XDG_STATE_HOME", state.c_str(), 1);
        const std::string folder = RecoveryFolder();
        if (folder.empty())
            std::abort();
        return folder;
    }();
    if (size == 0)
        return 0;
    const TableKind kind = data[0] % 2 == 0 ? TableKind::Channel : TableKind::Tuner;
    const std::uint8_t* image = data + 1;
    const std::size_t imageSize = size - 1;

    std::size_t bytesRead = 0;
    const ImageBytesAt readAt = [&](std::uint64_t offset, std::size_t count, std::uint8_t* pOut) {
        if (offset > imageSize || count > imageSize - offset)
            std::abort(); // a read past the image: the preview trusted a count it had not checked
        std::memcpy(pOut, image + offset, count);
        bytesRead += count;
        return true;
    };
    const RecoveryPreview preview = PreviewOfImage(imageSize, readAt, kind, kMaxRows);
    const std::size_t bound = kind == TableKind::Channel ? ChannelTableHeader::kSize + 2 * kMaxRows * 8
                                                         : TunerSpecHeader::kSize + kMaxRows * TunerSpecEntry::kSize;
    if (bytesRead > bound)
        std::abort();

    const std::string name = std::string(kCopyName) + (kind == TableKind::Channel ? "ccf" : "tsf");
    WriteInput(("state/vornalix/recovery/" + name).c_str(), image, imageSize);
    const std::optional<RecoveryImageCounts> counts = WholeImageCounts(recovery + "/" + name, kind);
    if (preview.bWhole != counts.has_value())
        std::abort();
    if (!preview.bWhole) {
        if (!preview.channels.empty() || !preview.tuners.empty())
            std::abort();
    } else if (kind == TableKind::Channel) {
        const std::size_t air = std::min<std::size_t>(static_cast<std::size_t>(counts->iFirst), kMaxRows);
        const std::size_t cable = std::min<std::size_t>(static_cast<std::size_t>(counts->iSecond), kMaxRows);
        if (preview.channels.size() != air + cable)
            std::abort();
        for (std::size_t i = 0; i < air; ++i) {
            const double stored = le::ReadF64(image + ChannelTableHeader::kSize + 8 * i);
            if (preview.channels[i].bCable || preview.channels[i].iChannel != i + 1 ||
                std::memcmp(&stored, &preview.channels[i].dbFrequency, sizeof stored) != 0)
                std::abort();
        }
    } else {
        const std::size_t entries = std::min<std::size_t>(static_cast<std::size_t>(counts->iFirst), kMaxRows);
        if (preview.tuners.size() != entries)
            std::abort();
    }
    if (!SamePreview(preview, ReadRecoveryPreview(name, kind, kMaxRows)))
        std::abort();
    return 0;
}
