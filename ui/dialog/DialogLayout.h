#pragma once
// Where a dialog template's controls land on screen: dialog units from the
// dialog font, widened so that fixed captions and the texts displays may show
// are never cut.

#include <map>
#include <vector>

#include <QFont>
#include <QRect>
#include <QString>

#include "res/DialogTemplate.h"

// Pixel size of one dialog unit, from the dialog font's metrics: a horizontal
// unit is a quarter of the average character width, a vertical unit an eighth
// of the character height.
struct DialogBaseUnits
{
    double cx;
    double cy;
};
DialogBaseUnits BaseUnitsOf(const QFont& font);
QRect DialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy);
// The units widened, where needed, so that every fixed caption of the template
// fits its control in this font, and every one-line display holds a line of
// text: fonts larger than the one the layout was drawn for stretch the dialog
// instead of cutting its texts.
DialogBaseUnits FitCaptions(const DialogTemplate& tpl, const QFont& font, DialogBaseUnits units);

// Texts a display may come to show, by control id: the dialog is laid out so
// that the widest of them shows whole.
using DisplayTexts = std::map<int, std::vector<QString>>;
// The pattern once for each of the digits, every '#' standing for that digit:
// the widest number a format can give is among them, whatever the font.
std::vector<QString> TextsInEveryDigit(const QString& pattern, const QString& digits = QStringLiteral("0123456789"));

// Extra pixels for the dialog over a span of columns: the extra is spread
// evenly over the span, so that what lies inside it widens in proportion,
// and everything right of the span moves right by all of it.
struct ColumnStretch
{
    int at;   // dialog units
    int span; // dialog units, at least 1
    int extra;
};

// Where the template's rectangles land: dialog units scaled by the base units,
// with the columns stretched where a display needs more room. Stretching keeps
// the order of every edge, so controls apart stay apart.
struct DialogLayout
{
    DialogBaseUnits units;
    std::vector<ColumnStretch> stretches;

    int X(int x) const;
    QRect ToPixels(int x, int y, int cx, int cy) const;
};
// Widens each display of the template whose possible texts would be cut, by
// spreading the extra evenly over the display's own columns: what lies within
// them widens in proportion (the displays of one row under it keep their
// relative widths), what lies right of them moves right, and the dialog grows
// by no more than the display needs.
DialogLayout FitDisplayTexts(const DialogTemplate& tpl, const QFont& font, const DialogBaseUnits& units,
                             const DisplayTexts& texts);

// A control's rectangle in dialog units as it stands on screen: a drop-down
// list's template height is that of its open list; closed, it is one line.
QRect TemplateUnitRect(const ControlTemplate& control);

// How a dialog grows past its template size. Its one list (the template's
// first list view) takes all the extra width and height, and nothing else
// grows: a control whose left edge lies at or right of the list's right edge
// moves right with that edge, one whose top lies at or below the list's bottom
// edge moves down with it, and a control inside a group box moves as its
// outermost group box does, so that a group stays whole. Everything else keeps
// its template place. A template without a list does not grow.
struct ControlGrowth
{
    bool bGrows = false;
    bool bMovesRight = false;
    bool bMovesDown = false;
};
// The growth of each control of the template, by template index.
std::vector<ControlGrowth> GrowthOfControls(const DialogTemplate& tpl);
// The index of the control that grows, -1 when the template has no list.
int GrowingControl(const DialogTemplate& tpl);
// Where a control placed at `placed` at the template size stands when the
// dialog's area for controls is `extra` larger (extra never below 0).
QRect GrownRect(const QRect& placed, const ControlGrowth& growth, const QSize& extra);
