// A recovery copy as a person's state folder may hold it: the first byte
// says how long the ".source" is, the source follows, and the rest is the
// image. The listing names at most that copy; a source it reads is new, or an
// absolute path without control characters that reads back the same once
// written again; a copy it calls whole restores, and one it calls damaged
// never does.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include <sys/stat.h>

#include "edit/ChannelTableDocument.h"
#include "edit/RecoveryStore.h"
#include "fuzz/FuzzSupport.h"

namespace {

bool IsSoundSource(const RecoveryCopy& copy)
{
    if (copy.source.empty() || copy.source == "new")
        return !copy.sourceIdentity;
    if (copy.source[0] != '/' || copy.source.size() > PATH_MAX)
        return false;
    for (const char c : copy.source) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
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
    const std::size_t sourceSize = std::min<std::size_t>(data[0], size - 1);
    WriteInput("state/vornalix/recovery/1765000000-1-0.ccf.source", data + 1, sourceSize);
    WriteInput("state/vornalix/recovery/1765000000-1-0.ccf", data + 1 + sourceSize, size - 1 - sourceSize);

    const std::vector<RecoveryCopy> copies = ListRecoveryCopies("ccf");
    if (copies.size() != 1 || copies[0].name != "1765000000-1-0.ccf" || !IsSoundSource(copies[0]))
        std::abort();
    const RecoveryCopy& copy = copies[0];
    if (!copy.source.empty() && copy.source != "new") {
        RecoveryCopy again;
        ParseRecoverySource(RecoverySourceText(RecoverySource{copy.source, copy.sourceIdentity}, "ccf"), "ccf", again);
        if (again.source != copy.source || again.sourceIdentity != copy.sourceIdentity)
            std::abort();
    }
    // Never saved back over anything: the source names no file of this run.
    if (!RestoreOriginOf(copy, TableKind::Channel).savePath.empty())
        std::abort();

    const RecoveryFolderHandle folder = RecoveryFolderHandle::Open();
    ChannelTableDocument document;
    FileError error;
    if (document.Restore(folder.At(copy.name), RestoreOrigin(), error) == copy.bDamaged)
        std::abort();
    if (!copy.bDamaged && (document.Table()->GetList(ChannelModeAir)->iCount != copy.iFirstCount ||
                           document.Table()->GetList(ChannelModeCable)->iCount != copy.iSecondCount))
        std::abort();
    return 0;
}
