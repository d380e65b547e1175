#include "ui/dialog/DisplayAccessible.h"

#include <algorithm>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QStyle>

namespace {

const char* const kDisplayProperty = "vornalixDisplay";

class DisplayAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit DisplayAccessible(QLabel* pLabel) : QAccessibleWidget(pLabel, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: {
            // The caption; a display without one is named by what it shows.
            const QString caption = widget()->accessibleName();
            return caption.isEmpty() ? Shown() : caption;
        }
        case QAccessible::Value: return Shown();
        default: return QAccessibleWidget::text(t);
        }
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // Read-only text: no selection, no cursor.
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void scrollToSubstring(int, int) override {}

    QString text(int startOffset, int endOffset) const override
    {
        const QString shown = Shown();
        startOffset = std::clamp(startOffset, 0, static_cast<int>(shown.size()));
        endOffset = endOffset < 0 ? static_cast<int>(shown.size())
                                  : std::clamp(endOffset, startOffset, static_cast<int>(shown.size()));
        return shown.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(Shown().size()); }

    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return QString();
    }

    // Where each character is drawn, on the screen.
    QRect characterRect(int offset) const override
    {
        const QString shown = Shown();
        if (offset < 0 || offset >= shown.size())
            return QRect();
        const QFontMetrics metrics = Label()->fontMetrics();
        const QRect line = TextLine();
        const int x = line.x() + metrics.horizontalAdvance(shown.left(offset));
        const QRect local(x, line.y(), metrics.horizontalAdvance(shown.at(offset)), line.height());
        return QRect(Label()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        for (int offset = 0; offset < characterCount(); ++offset) {
            if (characterRect(offset).contains(point))
                return offset;
        }
        return -1;
    }

private:
    QLabel* Label() const { return static_cast<QLabel*>(widget()); }
    QString Shown() const { return Label()->text(); }

    // The rectangle of the one line of text inside the label, as its alignment puts it.
    QRect TextLine() const
    {
        const QLabel* pLabel = Label();
        const QFontMetrics metrics = pLabel->fontMetrics();
        const QSize size(metrics.horizontalAdvance(Shown()), metrics.height());
        const QRect contents =
            pLabel->contentsRect().adjusted(pLabel->margin(), pLabel->margin(), -pLabel->margin(), -pLabel->margin());
        return QStyle::alignedRect(pLabel->layoutDirection(), pLabel->alignment(), size, contents);
    }
};

QAccessibleInterface* DisplayFactory(const QString& className, QObject* pObject)
{
    if (className != QLatin1String("QLabel") || !pObject || !pObject->property(kDisplayProperty).toBool())
        return nullptr;
    return new DisplayAccessible(static_cast<QLabel*>(pObject));
}

} // namespace

void MarkAsDisplay(QLabel* pLabel)
{
    // Factories installed later are asked first: after the application's own
    // factory for Qt's widgets, this one answers for displays.
    static const bool bInstalled = [] {
        QAccessible::installFactory(DisplayFactory);
        return true;
    }();
    Q_UNUSED(bInstalled);
    pLabel->setProperty(kDisplayProperty, true);
    // A label announces its text as it is made, and that already made and
    // kept a plain label's interface; it must make way for the display's.
    QAccessibleInterface* pInterface = QAccessible::queryAccessibleInterface(pLabel);
    if (pInterface && !dynamic_cast<DisplayAccessible*>(pInterface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(pInterface));
}

bool IsDisplay(const QLabel* pLabel)
{
    return pLabel && pLabel->property(kDisplayProperty).toBool();
}

void NotifyDisplayTextChanged(QLabel* pLabel, const QString& oldText, const QString& newText)
{
    if (oldText == newText)
        return;
    QAccessibleTextUpdateEvent textEvent(pLabel, 0, oldText, newText);
    QAccessible::updateAccessibility(&textEvent);
}
