#include "platform/WindowSizesText.h"

#include <optional>
#include <vector>

namespace {

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r'))
            ++at;
        const std::size_t begin = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t' && line[at] != '\r')
            ++at;
        if (at > begin)
            words.push_back(line.substr(begin, at - begin));
        // A line of more words than ours is not ours: stop counting early.
        if (words.size() > 4)
            break;
    }
    return words;
}

// A number of decimal digits from 1 to `most`; nothing for anything else.
std::optional<int> Number(std::string_view word, int most)
{
    if (word.empty() || word.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const char c : word) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > most)
        return std::nullopt;
    return value;
}

} // namespace

WindowSizes ReadWindowSizes(std::string_view text)
{
    WindowSizes sizes;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::vector<std::string_view> words = Words(text.substr(at, end - at));
        at = end + 1;
        if (words.size() != 3 && !(words.size() == 4 && words[3] == "maximized"))
            continue;
        const std::optional<int> id = Number(words[0], 999999999);
        const std::optional<int> width = Number(words[1], kMaxWindowSide);
        const std::optional<int> height = Number(words[2], kMaxWindowSide);
        if (id && width && height)
            sizes[*id] = WindowSize{*width, *height, words.size() == 4};
    }
    return sizes;
}

std::string WindowSizesText(const WindowSizes& sizes)
{
    std::string text;
    for (const auto& [id, size] : sizes) {
        text += std::to_string(id) + ' ' + std::to_string(size.width) + ' ' + std::to_string(size.height);
        if (size.bMaximized)
            text += " maximized";
        text += '\n';
    }
    return text;
}
