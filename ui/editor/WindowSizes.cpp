#include "ui/editor/WindowSizes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <cerrno>

#include "platform/DataFolders.h"
#include "platform/FileIO.h"

namespace {

const char kNotOurText[] = "it holds text this program did not write, which a write would lose";

// Why sizes are not kept, said once for each file and reason however often
// it is used.
void SayOnce(const std::string& file, const std::string& reason)
{
    static std::mutex mutex;
    static std::set<std::string> said;
    const std::lock_guard<std::mutex> lock(mutex);
    if (said.insert(file + '\n' + reason).second)
        std::fprintf(stderr, "vornalix: window sizes are not kept: %s: %s\n", file.c_str(), reason.c_str());
}

std::string SizesPath()
{
    const std::string configHome = ConfigHome();
    return configHome.empty() ? std::string() : configHome + "/vornalix/window-sizes.conf";
}

// The text of the file, empty when there is none yet; nothing, and the reason
// said, when it is refused.
std::optional<std::string> ReadSizesText(const std::string& file)
{
    FileReader reader;
    FileError error;
    if (!reader.Open(file.c_str(), NonRegularFiles::Refuse, &error)) {
        if (error.code == ENOENT)
            return std::string();
        SayOnce(file, error.text);
        return std::nullopt;
    }
    const std::string tooLarge = "it is larger than " + std::to_string(kMaxWindowSizesBytes / 1024) + " KiB";
    if (reader.RegularFileSize().value_or(kMaxWindowSizesBytes + 1) > kMaxWindowSizesBytes) {
        SayOnce(file, tooLarge);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    if (!reader.ReadUpTo(bytes, kMaxWindowSizesBytes + 1, &error)) {
        SayOnce(file, error.text);
        return std::nullopt;
    }
    // It may have grown since it was opened.
    if (bytes.size() > kMaxWindowSizesBytes) {
        SayOnce(file, tooLarge);
        return std::nullopt;
    }
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

QString WindowSizesFile()
{
    return QString::fromStdString(SizesPath());
}

std::optional<WindowSize> RememberedWindowSize(int dialogId)
{
    const std::string file = SizesPath();
    if (file.empty())
        return std::nullopt;
    const std::optional<std::string> text = ReadSizesText(file);
    if (!text)
        return std::nullopt;
    const WindowSizes sizes = ReadWindowSizes(*text);
    const auto it = sizes.find(dialogId);
    if (it == sizes.end())
        return std::nullopt;
    return it->second;
}

void RememberWindowSize(int dialogId, const WindowSize& size)
{
    const std::string file = SizesPath();
    if (file.empty())
        return;
    const std::optional<std::string> text = ReadSizesText(file);
    if (!text)
        return;
    WindowSizes sizes = ReadWindowSizes(*text);
    // A file that is not wholly ours (a link to someone's notes, say) would
    // keep only our lines: it is left as it is.
    if (WindowSizesText(sizes) != *text) {
        SayOnce(file, kNotOurText);
        return;
    }
    sizes[dialogId] = WindowSize{std::clamp(size.width, 1, kMaxWindowSide), std::clamp(size.height, 1, kMaxWindowSide),
                                 size.bMaximized};
    if (!MakeBaseFolders(file.substr(0, file.find_last_of('/')))) {
        SayOnce(file, std::string("its folder cannot be made: ") + std::strerror(errno));
        return;
    }
    const std::string newText = WindowSizesText(sizes);
    FileError error;
    if (!WriteFileSafely(file.c_str(), reinterpret_cast<const std::uint8_t*>(newText.data()), newText.size(), &error))
        SayOnce(file, error.text);
}

QSize OpeningSize(const QSize& minimum, const std::optional<WindowSize>& remembered, const QSize& available)
{
    QSize size = remembered ? QSize(remembered->width, remembered->height) : minimum;
    size = size.expandedTo(minimum);
    return size.boundedTo(available.expandedTo(QSize(1, 1)));
}
