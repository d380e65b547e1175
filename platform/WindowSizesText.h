#pragma once
// The text of the remembered window sizes ($XDG_CONFIG_HOME/vornalix/
// window-sizes.conf): one line per window, "ID WIDTH HEIGHT" and the word
// "maximized" when it was closed maximized, ID being the dialog's template id.
// A line of any other shape, and sizes not between 1 and kMaxWindowSide, are
// passed over; of two lines for one window the later counts. Plain C++ without
// Qt, so that the reader is fuzzed with the others.

#include <map>
#include <string>
#include <string_view>

struct WindowSize
{
    int width = 0;
    int height = 0;
    bool bMaximized = false;

    bool operator==(const WindowSize& other) const
    {
        return width == other.width && height == other.height && bMaximized == other.bMaximized;
    }
};

// Wider or higher than any screen: a number beyond it is not ours.
constexpr int kMaxWindowSide = 100000;

// Sizes by dialog template id.
using WindowSizes = std::map<int, WindowSize>;

// Time and memory linear in the text.
WindowSizes ReadWindowSizes(std::string_view text);
std::string WindowSizesText(const WindowSizes& sizes);
