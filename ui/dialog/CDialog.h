#pragma once
// The base of every dialog: it builds a dialog's controls from its template in
// res/, finds every control by its id (also the control's objectName, "1040"),
// offers the control operations the dialogs use, and routes buttons, menu
// commands and the dialog keys (Enter, Escape) through OnCommand to the
// handlers registered with OnClicked, or to OnOK and OnCancel, so that each
// dialog answers a command in one place whichever way it was given. An
// editor's menu bar, bars, status line and sizes are its frame's
// (EditorFrame.h).
//
// Enter is routed here rather than by QDialog: QDialog makes a focused
// auto-default button the default until another button takes the focus, so
// Enter in a field after a click on "Load File" would load again; the
// dialogs' buttons are not auto-default, Enter presses the focused button or
// else the enabled default one, and a dialog without one takes Enter as OK.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>

#include "res/DialogTemplate.h"
#include "ui/app/ApplicationIcon.h"
#include "ui/dialog/DialogLayout.h"

class ListView;
class UserServices;
class QComboBox;
class QKeyEvent;

class CDialog : public QDialog
{
    Q_OBJECT

public:
    CDialog(int templateId, UserServices& services, QWidget* pParent = nullptr, const DisplayTexts& displayTexts = {});
    ~CDialog() override;

    // Runs the dialog modally: initialisation, the modal loop, then destruction
    // of the window's state (DestroyWindow). Returns the code given to EndDialog.
    int DoModal();
    // Initialises and shows the dialog without a modal loop (tests, start-up).
    void Create();
    void EndDialog(int result);
    virtual bool DestroyWindow();
    bool IsDestroyed() const { return m_bDestroyed; }
    int Result() const { return m_result; }

    // A file to open as the dialog's load command would, once it is initialised
    // (a file given on the command line).
    void SetStartupFile(const QString& path) { m_startupFile = path; }
    // Opens the file as the load command does after its file dialog; false
    // where the dialog has no such command.
    virtual bool OpenFile(const QString& path);

    // Delivers a command (button click or menu choice) by its id: to the
    // handler registered for it, else IDOK to OnOK and IDCANCEL to OnCancel;
    // false when nothing handles it.
    virtual bool OnCommand(int id);

    const DialogTemplate& Template() const { return m_template; }
    const DialogBaseUnits& BaseUnits() const { return m_layout.units; }
    const DialogLayout& Layout() const { return m_layout; }
    // The control with this id, or nullptr when the template has none.
    QWidget* GetDlgItem(int id) const;
    // The control with this id as the widget class it must be. A wrong id or
    // class is a mistake in the dialog's code: debug builds stop on it at once
    // instead of letting a text come back empty or a call do nothing.
    template <class Widget> Widget* Control(int id) const
    {
        auto* pWidget = qobject_cast<Widget*>(Item(id));
        Q_ASSERT_X(pWidget, "CDialog::Control", "the control is of another class");
        return pWidget;
    }
    QString GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const QString& text);
    void EnableDlgItem(int id, bool bEnable);
    bool IsDlgItemEnabled(int id) const;
    void GotoDlgCtrl(int id);

    QComboBox* ComboBox(int id) const;
    int ComboGetCurSel(int id) const;
    void ComboSetCurSel(int id, int index);
    int ComboAddString(int id, const QString& text);
    void ComboSetItemData(int id, int index, std::int32_t value);
    std::int32_t ComboGetItemData(int id, int index) const;
    void ComboResetContent(int id);
    int ComboGetCount(int id) const;
    QString ComboGetLBText(int id, int index) const;

    // The list view with this id, or nullptr when the dialog has none.
    ListView* GetListView(int id) const;

    // What speaks to the person for this dialog and the dialogs it opens.
    UserServices& Services() const { return m_services; }

    // The widget the controls lie on at their template positions: the dialog
    // itself, or the area a frame (EditorFrame.h) moved them onto.
    QWidget* ClientArea() const;
    // Moves the controls, in their stacking order, onto an area of the
    // template's size, each at its template position on it; the area.
    QWidget* MoveControlsOntoClientArea();
    // Every control, labels too, in template order.
    const std::vector<QWidget*>& TemplateControls() const { return m_templateControls; }

signals:
    // OnInitDialog has run; the window is not shown yet.
    void Initialized();
    // The dialog is being destroyed, while it is still whole: QDialog's own
    // destructor hides the window after this.
    void Destroying();

protected:
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnDestroy() {}
    // Sees every key press of a control before the dialog's own handling;
    // true consumes it.
    virtual bool PreTranslateMessage(QWidget* pTarget, QKeyEvent* pEvent);

    // Binds a command id to a handler; the message map of each dialog.
    void OnClicked(int id, std::function<void()> handler);

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;

private:
    // GetDlgItem for the control operations: an id the template lacks stops a debug build.
    QWidget* Item(int id) const;
    void BuildControls(const DisplayTexts& displayTexts);
    QWidget* CreateControl(const ControlTemplate& control);
    bool HandleDialogKey(QKeyEvent* pEvent);
    void InitDialog();

    UserServices& m_services;
    const DialogTemplate& m_template;
    DialogLayout m_layout{};
    std::map<int, QWidget*> m_controls;
    std::map<int, std::function<void()>> m_handlers;
    int m_defaultId = 0;
    int m_result = 0;
    bool m_bInitialized = false;
    bool m_bDestroyed = false;
    bool m_bInModalLoop = false;
    QString m_startupFile;
    QWidget* m_pClient = nullptr;
    std::vector<QWidget*> m_templateControls;
};
