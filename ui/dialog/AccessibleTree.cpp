#include "ui/dialog/AccessibleTree.h"

#include <vector>

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFocusFrame>
#include <QMenu>
#include <QWindow>

namespace {

// Which of our interfaces a widget takes, kept on the widget.
const char* const kKindProperty = "vornalixAccessibleKind";

enum class Kind
{
    None,
    ShownChildren,
    NamedCombo,
    Window,
    StatusBar,
};

Kind KindOf(const QObject* pObject)
{
    return static_cast<Kind>(pObject->property(kKindProperty).toInt());
}

// The open popups whose interface names the application as its parent: a
// menu opened for no window, the window of an open drop-down list. A menu of
// a menu bar is a child of its bar item already.
std::vector<QAccessibleInterface*> OpenPopups()
{
    std::vector<QAccessibleInterface*> popups;
    for (QWindow* pWindow : QGuiApplication::topLevelWindows()) {
        if (pWindow->type() != Qt::Popup || !pWindow->isVisible())
            continue;
        QAccessibleInterface* pRoot = pWindow->accessibleRoot();
        QAccessibleInterface* pParent = pRoot ? pRoot->parent() : nullptr;
        if (pParent && pParent->role() == QAccessible::Application)
            popups.push_back(pRoot);
    }
    return popups;
}

// Qt's application leaves popups out of its children: they follow its windows.
class ApplicationAccessible : public QAccessibleApplication
{
public:
    int childCount() const override
    {
        return QAccessibleApplication::childCount() + static_cast<int>(OpenPopups().size());
    }

    QAccessibleInterface* child(int index) const override
    {
        const int windows = QAccessibleApplication::childCount();
        if (index < windows)
            return QAccessibleApplication::child(index);
        const std::vector<QAccessibleInterface*> popups = OpenPopups();
        const auto popup = static_cast<std::size_t>(index - windows);
        return popup < popups.size() ? popups[popup] : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* pChild) const override
    {
        const int window = QAccessibleApplication::indexOfChild(pChild);
        if (window >= 0 || !pChild)
            return window;
        const std::vector<QAccessibleInterface*> popups = OpenPopups();
        for (std::size_t i = 0; i < popups.size(); ++i) {
            if (popups[i]->object() == pChild->object())
                return QAccessibleApplication::childCount() + static_cast<int>(i);
        }
        return -1;
    }
};

// Tells listening screen readers that a popup of the application's came or
// went: Qt tells only that it shows or hides, which says nothing of where
// in the tree it is.
class PopupAnnouncer : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        const bool bShow = pEvent->type() == QEvent::Show;
        if ((bShow || pEvent->type() == QEvent::Hide) && pWatched->isWidgetType() &&
            static_cast<QWidget*>(pWatched)->windowType() == Qt::Popup && QAccessible::isActive()) {
            QAccessibleInterface* pPopup = QAccessible::queryAccessibleInterface(pWatched);
            QAccessibleInterface* pParent = pPopup ? pPopup->parent() : nullptr;
            if (pParent && pParent->role() == QAccessible::Application) {
                QAccessibleEvent event(pWatched, bShow ? QAccessible::ObjectCreated : QAccessible::ObjectDestroyed);
                QAccessible::updateAccessibility(&event);
            }
        }
        return QObject::eventFilter(pWatched, pEvent);
    }
};

// The children Qt's widgets list (no windows, menus or focus frames), less
// those kept hidden. A control not shown yet because its dialog is not is
// no hidden control.
QList<QWidget*> ShownChildren(const QWidget* pParent)
{
    QList<QWidget*> shown;
    for (QObject* pObject : pParent->children()) {
        auto* pChild = qobject_cast<QWidget*>(pObject);
        if (!pChild || pChild->isWindow() || qobject_cast<QMenu*>(pChild) || qobject_cast<QFocusFrame*>(pChild) ||
            pChild->objectName() == QLatin1String("qt_rubberband"))
            continue;
        if (pChild->isHidden() && pChild->testAttribute(Qt::WA_WState_ExplicitShowHide))
            continue;
        shown.append(pChild);
    }
    return shown;
}

class ShownChildrenAccessible : public QAccessibleWidget
{
public:
    explicit ShownChildrenAccessible(QWidget* pWidget)
        : QAccessibleWidget(pWidget, qobject_cast<QDialog*>(pWidget) ? QAccessible::Dialog : QAccessible::Client)
    {
    }

    int childCount() const override { return static_cast<int>(ShownChildren(widget()).size()); }
    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> shown = ShownChildren(widget());
        return index >= 0 && index < shown.size() ? QAccessible::queryAccessibleInterface(shown.at(index)) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* pChild) const override
    {
        if (!pChild || !pChild->object() || !pChild->object()->isWidgetType())
            return -1;
        return static_cast<int>(ShownChildren(widget()).indexOf(static_cast<QWidget*>(pChild->object())));
    }
};

// As Qt's combo box reads everywhere but here: on Unix, Qt names a
// drop-down list by the item it shows, so "Antenna" would hide "Mode". Named
// by its label (its buddy, which also makes the labelled-by relation), it
// still gives the item it shows as its value and its text, the text a screen
// reader reads after the name.
class NamedComboAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit NamedComboAccessible(QComboBox* pCombo) : QAccessibleWidget(pCombo, QAccessible::ComboBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // The shown item as read-only text, without a caret or selections.
    QString text(int startOffset, int endOffset) const override
    {
        return Combo()->currentText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(Combo()->currentText().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    int selectionCount() const override { return 0; }
    void selection(int, int* pStart, int* pEnd) const override { *pStart = *pEnd = 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* pStart, int* pEnd) const override
    {
        *pStart = *pEnd = offset;
        return {};
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            if (!widget()->accessibleName().isEmpty())
                return widget()->accessibleName();
            if (const QString label = LabelName(); !label.isEmpty())
                return label;
        }
        if (t == QAccessible::Name || t == QAccessible::Value)
            return Combo()->currentText();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = Combo()->view() && Combo()->view()->isVisible();
        state.collapsed = !state.expanded;
        return state;
    }

    // The list that drops down, as Qt's combo box has it.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(Combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* pChild) const override
    {
        return pChild && pChild->object() == Combo()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        QStringList names{showMenuAction(), pressAction()};
        names += QAccessibleWidget::actionNames();
        return names;
    }
    void doAction(const QString& action) override
    {
        if (action == showMenuAction() || action == pressAction()) {
            if (Combo()->view()->isVisible())
                Combo()->hidePopup();
            else
                Combo()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }

    // The text of the label whose buddy the drop-down is, without its mnemonic's "&".
    QString LabelName() const
    {
        for (const auto& relation : relations(QAccessible::Label)) {
            if (relation.first)
                return relation.first->text(QAccessible::Name);
        }
        return {};
    }
};

class WindowAccessible : public QAccessibleWidget
{
public:
    explicit WindowAccessible(QWidget* pWindow) : QAccessibleWidget(pWindow, QAccessible::Window) {}
};

// What a screen reader's "read the status bar" looks for: its parts stay its
// children.
class StatusBarAccessible : public QAccessibleWidget
{
public:
    explicit StatusBarAccessible(QWidget* pWidget) : QAccessibleWidget(pWidget, QAccessible::StatusBar) {}
};

QAccessibleInterface* TreeFactory(const QString&, QObject* pObject)
{
    if (pObject && pObject == qApp)
        return new ApplicationAccessible;
    if (!pObject || !pObject->isWidgetType())
        return nullptr;
    auto* pWidget = static_cast<QWidget*>(pObject);
    switch (KindOf(pObject)) {
    case Kind::ShownChildren: return new ShownChildrenAccessible(pWidget);
    case Kind::NamedCombo: {
        auto* pCombo = qobject_cast<QComboBox*>(pWidget);
        return pCombo ? new NamedComboAccessible(pCombo) : nullptr;
    }
    case Kind::Window: return new WindowAccessible(pWidget);
    case Kind::StatusBar: return new StatusBarAccessible(pWidget);
    default: return nullptr;
    }
}

// An interface made before the object took its kind (a screen reader asked
// early) makes way for ours; the next query makes ours.
template <class Ours> void ForgetInterfaceOfAnotherKind(QObject* pObject)
{
    QAccessibleInterface* pInterface = QAccessible::queryAccessibleInterface(pObject);
    if (pInterface && !dynamic_cast<Ours*>(pInterface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(pInterface));
}

void SetKind(QWidget* pWidget, Kind kind)
{
    InstallAccessibleTree();
    pWidget->setProperty(kKindProperty, static_cast<int>(kind));
}

} // namespace

void InstallAccessibleTree()
{
    static const bool bInstalled = [] {
        // Factories installed later are asked first: after Qt's own for its widgets.
        QAccessible::installFactory(TreeFactory);
        qApp->installEventFilter(new PopupAnnouncer(qApp));
        return true;
    }();
    Q_UNUSED(bInstalled);
    ForgetInterfaceOfAnotherKind<ApplicationAccessible>(qApp);
}

void LeaveHiddenChildrenOut(QWidget* pWidget)
{
    SetKind(pWidget, Kind::ShownChildren);
    ForgetInterfaceOfAnotherKind<ShownChildrenAccessible>(pWidget);
}

void NameByLabel(QComboBox* pCombo)
{
    SetKind(pCombo, Kind::NamedCombo);
    ForgetInterfaceOfAnotherKind<NamedComboAccessible>(pCombo);
}

void ReadAsStatusBar(QWidget* pWidget)
{
    SetKind(pWidget, Kind::StatusBar);
    ForgetInterfaceOfAnotherKind<StatusBarAccessible>(pWidget);
}

void ReadAsWindow(QWidget* pWindow)
{
    SetKind(pWindow, Kind::Window);
    ForgetInterfaceOfAnotherKind<WindowAccessible>(pWindow);
}
