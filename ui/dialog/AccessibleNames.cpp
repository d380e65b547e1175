#include "ui/dialog/AccessibleNames.h"

#include <cstdlib>
#include <utility>
#include <vector>

#include <QLabel>
#include <QStringList>
#include <QWidget>

#include "res/AccessibleTexts.h"
#include "ui/dialog/DialogLayout.h"

namespace {

bool TakesAName(ControlKind kind)
{
    return kind == ControlKind::Edit || kind == ControlKind::ComboDropList || kind == ControlKind::DisplayText ||
           kind == ControlKind::ListView;
}

// The smallest frame that holds the rectangle, or nullptr.
const ControlTemplate* EnclosingFrame(const DialogTemplate& tpl, const QRect& rect)
{
    const ControlTemplate* pBest = nullptr;
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& frame = tpl.controls[i];
        if (frame.kind != ControlKind::GroupBox || !TemplateUnitRect(frame).contains(rect))
            continue;
        if (!pBest || frame.cx * frame.cy < pBest->cx * pBest->cy)
            pBest = &frame;
    }
    return pBest;
}

} // namespace

void NameControlsByLabels(QWidget* pDialog, const DialogTemplate& tpl, const std::function<QWidget*(int id)>& widgetOf)
{
    std::vector<std::pair<const ControlTemplate*, QLabel*>> labels;
    for (QLabel* pLabel : pDialog->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
        const auto index = pLabel->property("vornalixTemplateIndex");
        if (index.isValid())
            labels.emplace_back(&tpl.controls[index.toUInt()], pLabel);
    }
    for (std::size_t i = 0; i < tpl.controlCount; ++i) {
        const ControlTemplate& control = tpl.controls[i];
        QWidget* pWidget = widgetOf(control.id);
        if (!pWidget || !TakesAName(control.kind))
            continue;
        const QRect rect = TemplateUnitRect(control);
        const ControlTemplate* pFrame = EnclosingFrame(tpl, rect);
        std::pair<const ControlTemplate*, QLabel*> left{nullptr, nullptr}, above{nullptr, nullptr};
        for (const auto& label : labels) {
            const QRect r = TemplateUnitRect(*label.first);
            if (EnclosingFrame(tpl, r) != pFrame)
                continue;
            const bool sameRow = r.top() <= rect.bottom() && r.bottom() >= rect.top();
            if (sameRow && r.right() < rect.left() && (!left.first || r.x() > left.first->x))
                left = label;
            const bool column =
                std::abs(r.x() - rect.x()) <= 4 && r.bottom() < rect.top() && rect.top() - r.bottom() <= 20;
            if (column && (!above.first || r.y() > above.first->y))
                above = label;
        }
        QStringList parts;
        if (left.second)
            parts << left.second->text();
        if (above.second)
            parts << above.second->text();
        if (parts.isEmpty() && pFrame)
            parts << QString::fromLatin1(pFrame->text);
        if (parts.isEmpty())
            continue;
        pWidget->setAccessibleName(parts.join(QLatin1Char(' ')));
        if (QLabel* pBuddy = left.second ? left.second : above.second)
            pBuddy->setBuddy(pWidget);
    }
    // Where the labels give a poor name, the dialog's data has a better one.
    for (int i = 0; i < kFixedAccessibleNameCount; ++i) {
        const FixedAccessibleName& fixed = kFixedAccessibleNames[i];
        if (fixed.dialogId != tpl.id)
            continue;
        if (QWidget* pWidget = widgetOf(fixed.controlId))
            pWidget->setAccessibleName(QString::fromLatin1(fixed.name));
    }
}

QString SpokenChannelCell(int, int column, const QString& shown)
{
    if (column != 1)
        return shown;
    if (shown == QLatin1String("--"))
        return QString::fromLatin1(kSpokenEmptySlot);
    // "55.25000" is read "55.25 MHz", "800.00000" "800 MHz".
    QString number = shown;
    if (number.contains(QLatin1Char('.'))) {
        while (number.endsWith(QLatin1Char('0')))
            number.chop(1);
        if (number.endsWith(QLatin1Char('.')))
            number.chop(1);
    }
    return number + QLatin1Char(' ') + QString::fromLatin1(kSpokenFrequencyUnit);
}
