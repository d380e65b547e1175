#pragma once
// The dialog base that takes the place of the original dialog framework: it
// builds a dialog's controls from its template in res/, finds every control by
// its id (also the control's objectName, "1040"), offers the control operations
// the dialogs use, and routes buttons, menu commands and the dialog keys
// (Enter, Escape) to overridable handlers as the framework did.

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include <QDialog>

#include "DialogTemplate.h"

class ListView;
class QComboBox;
class QKeyEvent;

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

// Extra pixels for the dialog from a column on: everything that begins at or
// right of it moves right, whatever reaches across it grows.
struct ColumnStretch
{
    int at; // dialog units
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
// stretching the column inside it where the fewest controls that act must
// grow with it (frames and displays grow freely, buttons and lists should not).
DialogLayout FitDisplayTexts(const DialogTemplate& tpl, const QFont& font, const DialogBaseUnits& units,
                             const DisplayTexts& texts);

class CDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CDialog(int templateId, QWidget* pParent = nullptr, const DisplayTexts& displayTexts = {});
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

    // Delivers a command (button click or menu choice) as the framework did.
    virtual bool OnCommand(int id);

    const DialogTemplate& Template() const { return m_template; }
    const DialogBaseUnits& BaseUnits() const { return m_layout.units; }
    const DialogLayout& Layout() const { return m_layout; }
    QWidget* GetDlgItem(int id) const;
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

    ListView* GetListView(int id) const;

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
    void BuildControls(const DisplayTexts& displayTexts);
    QWidget* CreateControl(const ControlTemplate& control);
    void NameControlsByLabels();
    bool HandleDialogKey(QKeyEvent* pEvent);
    void InitDialog();

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
};

// The application icon (icon 128).
QIcon ApplicationIcon();
