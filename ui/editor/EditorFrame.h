#pragma once
// An editor's frame around a dialog's controls: from the top, the menu bar,
// the bars added (each shown while it is visible), the controls' area, and
// the status line. Bars and status line take the window's whole width; the
// controls keep their template places on their own area.
//
// The frame opens at its natural size, the controls' area at its template
// size, which is also its least size; a larger window gives the area its
// extra room by the rule of GrowthOfControls (DialogLayout.h): the list
// grows, nothing else does. Where the screen's available area is smaller,
// the window opens no larger than it and the controls' area scrolls, the
// focused control brought into view. The size and the maximized state are
// remembered per template (WindowSizes.h) when the window hides.
//
// It also titles the window after the table's file. The frame is a child of
// its dialog and lives as long.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QRect>
#include <QSize>

#include "res/EditorMenus.h"
#include "ui/dialog/DialogLayout.h"

class CDialog;
class DialogMenuBar;
class QScrollArea;
class QVBoxLayout;
class QWidget;

class EditorFrame : public QObject
{
    Q_OBJECT

public:
    // With a menu bar whose items are delivered to the dialog as commands;
    // updateStates makes the items current (enabled, texts) before a menu
    // opens and before a key is tried as a shortcut.
    EditorFrame(CDialog& dialog, const MenuBarTemplate& bar, std::function<void()> updateStates);
    // Without a bar, for a dialog whose controls may not fit a small or
    // scaled screen.
    explicit EditorFrame(CDialog& dialog);
    ~EditorFrame() override;

    // The frame of this dialog; nullptr for a dialog without one.
    static EditorFrame* Of(const QWidget& dialog);

    DialogMenuBar* MenuBar() const { return m_pMenuBar.get(); }
    void AddTopBar(QWidget* pBar);
    void SetStatusLine(QWidget* pStatusLine);
    QWidget* StatusLine() const { return m_pStatusLine; }
    QScrollArea* ControlsScroller() const { return m_pScroller; }

    // The title names the file its table saves to, "de.ccf – Vornalix",
    // with "*" after the name while the table has unsaved changes; without a
    // file it is the template's title, with the "*" once there is a change.
    // The window's accessible name, where the dialog has one of its own
    // (AccessibleWindowName), says the same: "de.ccf* – Vornalix channel
    // table editor".
    void ShowTableFileInTitle(const std::string& savePath, bool bModified);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void TakeControls();
    void Build();
    void WatchControls();
    void TakeNaturalSize();
    // The frame the window manager is expected to put around the window.
    QSize ExpectedFrame() const;
    void OpenAtRememberedSize();
    void RememberSize() const;
    void FollowClientSize();
    void FollowTopBar(QWidget* pBar, bool bShown);
    void UpdateStates() const;

    CDialog& m_dialog;
    std::unique_ptr<DialogMenuBar> m_pMenuBar;
    std::function<void()> m_updateStates;
    QWidget* m_pClient = nullptr;
    QVBoxLayout* m_pFrameLayout = nullptr;
    QVBoxLayout* m_pTopBarLayout = nullptr;
    // The height the window grew by for each top bar shown while it was open.
    std::map<QWidget*, int> m_topBarGrowth;
    QWidget* m_pStatusLine = nullptr;
    QScrollArea* m_pScroller = nullptr;
    // Each control with its place at the template size and how it follows a larger area.
    struct PlacedControl
    {
        QWidget* pWidget;
        QRect placed;
        ControlGrowth growth;
    };
    std::vector<PlacedControl> m_placed;
    QSize m_templateSize;
    bool m_bShown = false;
    bool m_bDetached = false;
};
