#pragma once
// Everything that speaks to the person directly (file choosers, message boxes,
// popup menus, modal runs of child dialogs) goes through this one interface, so
// that tests replace it with canned answers and never block on a window.

#include <cstddef>
#include <optional>
#include <vector>

#include <QPoint>
#include <QString>
#include <QStringList>

class CDialog;
class ClipboardService;
class QWidget;
class RecoveryCopiesList;
struct TunerChooserRequest;

struct FileDialogRequest
{
    bool bOpen = true;  // open or save variant
    QString defaultExt; // appended to a typed name without extension
    QString fileName;   // initial file name, a full path or a name; empty for none
    unsigned flags = 0; // OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT as the dialogs pass them
    QString filter;     // "Name (*.ext)|*.ext|...||"
    QString title;      // the command's name, "Save As", "Export"; empty for the desktop's own
    QString directory;  // the folder shown when fileName gives none; empty for the current one
};

// What the person chose in a file dialog: the full path, and the filter shown
// when they chose it (its index in the request's filter, from 0).
struct FileChoice
{
    QString path;
    int iFilter = 0;
};

// The extension of a filter's first pattern ("json" of "JSON Tables
// (*.json)|*.json"), empty for one without ("*.*"); for the filter at index
// iFilter of a request's filter text.
QString FilterExtension(const QString& filterText, int iFilter);

constexpr unsigned OFN_HIDEREADONLY = 0x4;
constexpr unsigned OFN_OVERWRITEPROMPT = 0x2;

struct MenuItem
{
    int command = 0; // 0 for a separator
    QString text;
    bool bEnabled = true; // a greyed item cannot be chosen
};

// One value a command asks for: "Go to channel", "Offset (MHz)".
struct ValueField
{
    QString label; // with a mnemonic, "&Channel:"
    QString initial;
    // When given, the value is one of these, chosen from a drop-down.
    QStringList choices = {};
};

struct ValuesRequest
{
    QString title; // the command, "Go to Channel"
    std::vector<ValueField> fields;
};

enum class MessageIcon
{
    Exclamation,
};

class UserServices
{
public:
    virtual ~UserServices() = default;
    // The chosen full path, or nothing when the person cancels.
    virtual std::optional<QString> ChooseFile(const FileDialogRequest& request) = 0;
    // The chosen full path and the filter it was chosen under. A name typed
    // without an extension is given the chosen filter's (the request's
    // defaultExt for a filter without one). Services that cannot tell the
    // filter answer ChooseFile's path under the first.
    virtual std::optional<FileChoice> ChooseFileAndFilter(const FileDialogRequest& request);
    // Any number of existing files of one folder; nothing when the person
    // cancels. Services that choose one file at a time answer ChooseFile's.
    virtual std::optional<QStringList> ChooseFiles(const FileDialogRequest& request);
    // An existing folder, beginning in the request's directory; services
    // without a folder chooser answer ChooseFile's path.
    virtual std::optional<QString> ChooseFolder(const FileDialogRequest& request);
    virtual void ShowMessage(QWidget* pOwner, const QString& text, MessageIcon icon) = 0;
    // Tells the person something without a question and without waiting: the
    // note stays beside its owner until closed, and the owner goes on working.
    virtual void ShowNote(QWidget* pOwner, const QString& text) = 0;
    // Shows the menu with its top left corner at globalPos; the chosen command, 0 for none.
    virtual int TrackPopupMenu(QWidget* pOwner, const std::vector<MenuItem>& items, const QPoint& globalPos) = 0;
    virtual int RunModal(CDialog& dialog) = 0;
    // Asks for the request's values in one small form; the texts typed, one
    // per field, or nothing when the person cancels.
    virtual std::optional<std::vector<QString>> AskValues(QWidget* pOwner, const ValuesRequest& request) = 0;
    // Lists the kept copies of unsaved tables with a preview of the one
    // selected; the person restores or discards copies through `list` until
    // they close it or a restore succeeds.
    virtual void ShowRecoveryCopies(QWidget* pOwner, RecoveryCopiesList& list) = 0;
    // The clipboard Copy and Paste use: the desktop's unless a service puts
    // another in its place.
    virtual ClipboardService& Clipboard();
    // Offers the tuners of a tuner table (ui/tuner/TunerChooser.h), the request's
    // preselected one selected; the index of the entry chosen, or nothing
    // when the person cancels.
    virtual std::optional<std::size_t> ChooseTuner(QWidget* pOwner, const TunerChooserRequest& request) = 0;
};

// The desktop's own services, for the program's first dialog; every dialog
// hands the services it was given to the dialogs it opens.
UserServices& DesktopServices();

// "Name (*.a)|*.a|All Files (*.*)|*.*||" in the form Qt's file dialog takes.
QString QtFileFilter(const QString& filterText);

class QtUserServices : public UserServices
{
public:
    std::optional<QString> ChooseFile(const FileDialogRequest& request) override;
    std::optional<FileChoice> ChooseFileAndFilter(const FileDialogRequest& request) override;
    std::optional<QStringList> ChooseFiles(const FileDialogRequest& request) override;
    std::optional<QString> ChooseFolder(const FileDialogRequest& request) override;
    void ShowMessage(QWidget* pOwner, const QString& text, MessageIcon icon) override;
    void ShowNote(QWidget* pOwner, const QString& text) override;
    int TrackPopupMenu(QWidget* pOwner, const std::vector<MenuItem>& items, const QPoint& globalPos) override;
    int RunModal(CDialog& dialog) override;
    std::optional<std::vector<QString>> AskValues(QWidget* pOwner, const ValuesRequest& request) override;
    void ShowRecoveryCopies(QWidget* pOwner, RecoveryCopiesList& list) override;
    std::optional<std::size_t> ChooseTuner(QWidget* pOwner, const TunerChooserRequest& request) override;
};
