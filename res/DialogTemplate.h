#pragma once
// Dialog templates as data: each dialog's controls with their ids, kinds,
// captions, positions and sizes in dialog units, and styles. ui/ builds the
// widgets from these tables; the code that does so is written once.

#include <cstddef>

enum class ControlKind
{
    PushButton,
    DefPushButton, // the dialog's default button
    Label,         // static text without an id of its own
    DisplayText,   // static text that the dialog writes
    GroupBox,
    Edit,
    ComboDropList, // drop-down list: choose only, no typing
    ListView,      // report view: rows and columns
    Icon,          // the application icon
};

enum ControlStyle : unsigned
{
    StyleNone = 0,
    StyleHidden = 1u << 0,
    StyleDisabled = 1u << 1,
    StyleSunken = 1u << 2,
    StyleCenter = 1u << 3,      // text centred horizontally
    StyleVCenter = 1u << 4,     // text centred vertically
    StyleRight = 1u << 5,       // text aligned right
    StyleNumber = 1u << 6,      // edit accepts digits only
    StyleAutoHScroll = 1u << 7, // edit scrolls while typing
    StyleShowSelAlways = 1u << 8,
    StyleSingleSel = 1u << 9, // list view: one row at a time
    StyleBorder = 1u << 10,
    StyleVScroll = 1u << 11,
};

constexpr unsigned operator|(ControlStyle a, ControlStyle b)
{
    return static_cast<unsigned>(a) | static_cast<unsigned>(b);
}
constexpr unsigned operator|(unsigned a, ControlStyle b)
{
    return a | static_cast<unsigned>(b);
}

constexpr int IDC_STATIC = -1;

struct ControlTemplate
{
    int id; // IDC_STATIC for labels and frames
    ControlKind kind;
    const char* text;
    int x, y, cx, cy; // dialog units
    unsigned styles;
    const char* const* items = nullptr; // initial items of a combo box, ending in nullptr
};

enum DialogStyle : unsigned
{
    DialogStyleNone = 0,
    DialogStyleAppWindow = 1u << 0, // own task bar button
};

struct DialogTemplate
{
    int id;
    const char* title;
    int cx, cy; // dialog units
    unsigned styles;
    const ControlTemplate* controls;
    std::size_t controlCount;
};

template <std::size_t N>
constexpr DialogTemplate MakeDialogTemplate(int id, const char* title, int cx, int cy, unsigned styles,
                                            const ControlTemplate (&controls)[N])
{
    return DialogTemplate{id, title, cx, cy, styles, controls, N};
}

// Looks a template up by its resource id; nullptr when there is none.
const DialogTemplate* FindDialogTemplate(int id);
