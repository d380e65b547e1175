#include "ui/dialog/DialogLayout.h"

#include <algorithm>

#include <QFontMetrics>
#include <QHash>

namespace {

// Room a display keeps beside its text: its sunken frame and a little air.
constexpr int kDisplayTextMargin = 6;

} // namespace

QRect TemplateUnitRect(const ControlTemplate& control)
{
    const int cy = control.kind == ControlKind::ComboDropList ? std::min(control.cy, 12) : control.cy;
    return QRect(control.x, control.y, control.cx, cy);
}

DialogBaseUnits BaseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width of the 52 letters in whole pixels, a half rounded up:
    // the unit the dialog templates' coordinates were laid out in.
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogBaseUnits{static_cast<double>((letters / 26 + 1) / 2), static_cast<double>(metrics.height())};
}

QRect DialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy)
{
    const auto px = [&](int v) { return qRound(v * units.cx / 4.0); };
    const auto py = [&](int v) { return qRound(v * units.cy / 8.0); };
    return QRect(px(x), py(y), px(x + cx) - px(x), py(y + cy) - py(y));
}

DialogBaseUnits FitCaptions(const DialogTemplate& tpl, const QFont& font, DialogBaseUnits units)
{
    const QFontMetrics metrics(font);
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& control = tpl.controls[i];
        if (!control.text || !*control.text || control.cx <= 0 || (control.styles & StyleHidden))
            continue;
        int margin = 0;
        switch (control.kind) {
        case ControlKind::Label:
            if (control.cy > 12) // several lines: the text wraps instead
                continue;
            margin = 2;
            break;
        case ControlKind::DisplayText: margin = kDisplayTextMargin; break;
        case ControlKind::PushButton:
        case ControlKind::DefPushButton: margin = 12; break;
        case ControlKind::GroupBox: margin = 16; break;
        default: continue;
        }
        const int need = metrics.horizontalAdvance(QString::fromLatin1(control.text)) + margin;
        units.cx = std::max(units.cx, need * 4.0 / control.cx);
    }
    // A sunken display of one line must hold a line of text inside its frame.
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& control = tpl.controls[i];
        if (control.kind == ControlKind::DisplayText && (control.styles & StyleSunken) && control.cy > 0 &&
            control.cy <= 12)
            units.cy = std::max(units.cy, (metrics.height() + 4) * 8.0 / control.cy);
    }
    return units;
}

std::vector<QString> TextsInEveryDigit(const QString& pattern, const QString& digits)
{
    std::vector<QString> texts;
    for (const QChar digit : digits) {
        QString text = pattern;
        text.replace(QLatin1Char('#'), digit);
        texts.push_back(text);
    }
    return texts;
}

int DialogLayout::X(int x) const
{
    int px = qRound(x * units.cx / 4.0);
    for (const ColumnStretch& stretch : stretches) {
        const int inside = std::clamp(x - stretch.at, 0, stretch.span);
        px += static_cast<int>(static_cast<long long>(stretch.extra) * inside / stretch.span);
    }
    return px;
}

QRect DialogLayout::ToPixels(int x, int y, int cx, int cy) const
{
    const QRect vertical = DialogUnitsToPixels(units, 0, y, 0, cy);
    return QRect(X(x), vertical.y(), X(x + cx) - X(x), vertical.height());
}

namespace {

// The outermost group box around the control, or the control itself: the
// unit of the form it belongs to.
const ControlTemplate& OutermostGroupOf(const DialogTemplate& tpl, const ControlTemplate& control)
{
    const ControlTemplate* pUnit = &control;
    const QRect rect = TemplateUnitRect(control);
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& group = tpl.controls[i];
        if (&group == &control || group.kind != ControlKind::GroupBox)
            continue;
        const QRect groupRect = TemplateUnitRect(group);
        if (groupRect.contains(rect) && (pUnit == &control || groupRect.contains(TemplateUnitRect(*pUnit))))
            pUnit = &group;
    }
    return *pUnit;
}

} // namespace

DialogLayout FitDisplayTexts(const DialogTemplate& tpl, const QFont& font, const DialogBaseUnits& units,
                             const DisplayTexts& texts)
{
    DialogLayout layout{units, {}};
    const QFontMetrics metrics(font);
    // Displays of one kind share their texts: each text is measured once.
    QHash<QString, int> widths;
    const auto widthOf = [&](const QString& text) {
        auto it = widths.find(text);
        if (it == widths.end())
            it = widths.insert(text, metrics.horizontalAdvance(text));
        return *it;
    };
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& control = tpl.controls[i];
        const auto it = texts.find(control.id);
        if (control.kind != ControlKind::DisplayText || it == texts.end() || control.cx <= 0)
            continue;
        int widest = 0;
        for (const QString& text : it->second)
            widest = std::max(widest, widthOf(text));
        const int need = widest + kDisplayTextMargin;
        const int have = layout.ToPixels(control.x, 0, control.cx, 0).width();
        if (need <= have)
            continue;
        // The display's own columns widen evenly: whatever lies within them
        // (the Max CH and Min CH displays under the country's) widens in
        // proportion, and the dialog grows by no more than the display needs.
        layout.stretches.push_back(ColumnStretch{control.x, control.cx, need - have});
        // Rounding inside the span may leave the display a pixel short.
        while (layout.ToPixels(control.x, 0, control.cx, 0).width() < need)
            ++layout.stretches.back().extra;
    }
    return layout;
}

int GrowingControl(const DialogTemplate& tpl)
{
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        if (tpl.controls[i].kind == ControlKind::ListView)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<ControlGrowth> GrowthOfControls(const DialogTemplate& tpl)
{
    std::vector<ControlGrowth> growth(tpl.controlCount);
    const int growing = GrowingControl(tpl);
    if (growing < 0)
        return growth;
    const ControlTemplate& list = tpl.controls[growing];
    const int right = list.x + list.cx;
    const int bottom = list.y + list.cy;
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        if (static_cast<int>(i) == growing) {
            growth[i].bGrows = true;
            continue;
        }
        // A control inside a group box moves as the group does.
        const ControlTemplate& unit = OutermostGroupOf(tpl, tpl.controls[i]);
        growth[i].bMovesRight = unit.x >= right;
        growth[i].bMovesDown = unit.y >= bottom;
    }
    return growth;
}

QRect GrownRect(const QRect& placed, const ControlGrowth& growth, const QSize& extra)
{
    const int dx = std::max(0, extra.width());
    const int dy = std::max(0, extra.height());
    if (growth.bGrows)
        return placed.adjusted(0, 0, dx, dy);
    return placed.translated(growth.bMovesRight ? dx : 0, growth.bMovesDown ? dy : 0);
}
