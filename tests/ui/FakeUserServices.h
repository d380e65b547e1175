#pragma once
// Canned answers for the person-facing services, and a record of what was asked.

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "ui/app/UserServices.h"
#include "ui/editor/RecoveryCopiesList.h"
#include "ui/tuner/TunerChooser.h"

class FakeUserServices : public UserServices
{
public:
    // Answers, taken in order; an empty queue answers "cancel" / "no command".
    std::deque<std::optional<QString>> fileAnswers;
    // The filter each chosen file was chosen under, taken in order with
    // fileAnswers; an empty queue answers the first filter.
    std::deque<int> fileFilterAnswers;
    // The files chosen in each chooser of many, taken in order; an empty
    // queue answers from fileAnswers, one file at a time.
    std::deque<QStringList> filesAnswers;
    std::deque<int> menuAnswers;
    // The texts typed into each form asked for; nothing cancels it.
    std::deque<std::optional<std::vector<QString>>> valueAnswers;
    // What the person does in each list of kept copies, in order; an empty
    // queue closes the list at once. A Restore that succeeds ends the list.
    struct RecoveryListStep
    {
        enum class Action
        {
            Preview,
            Restore,
            Discard,
        } action;
        std::size_t index;
    };
    std::deque<std::vector<RecoveryListStep>> recoveryListAnswers;
    // Runs instead of a child dialog's modal loop; the default closes it at once.
    std::function<int(CDialog&)> onRunModal;
    // The clipboard of Copy and Paste; Qt's own (offscreen) unless set.
    ClipboardService* pClipboard = nullptr;
    // The tuner chosen in each tuner chooser, in order; nothing cancels it,
    // and an empty queue cancels too.
    std::deque<std::optional<std::size_t>> tunerAnswers;
    // Runs instead of those answers when set: the person at the chooser.
    std::function<std::optional<std::size_t>(QWidget*, const TunerChooserRequest&)> onChooseTuner;

    std::vector<FileDialogRequest> fileRequests;
    std::vector<QString> messages;
    std::vector<QString> notes;
    std::vector<std::vector<MenuItem>> menus;
    std::vector<QString> modalDialogs; // titles of the child dialogs run
    std::vector<ValuesRequest> valueRequests;
    // Each list of kept copies shown: its rows when it opened and when it
    // closed, and the previews looked at.
    struct RecoveryListShown
    {
        std::vector<RecoveryListRow> rows;
        std::vector<RecoveryPreviewTable> previews;
        std::vector<RecoveryListRow> rowsAtClose;
    };
    std::vector<RecoveryListShown> recoveryLists;
    // Each tuner chooser shown, as it was asked.
    std::vector<TunerChooserRequest> tunerRequests;

    std::optional<QString> ChooseFile(const FileDialogRequest& request) override;
    std::optional<FileChoice> ChooseFileAndFilter(const FileDialogRequest& request) override;
    std::optional<QStringList> ChooseFiles(const FileDialogRequest& request) override;
    void ShowMessage(QWidget* pOwner, const QString& text, MessageIcon icon) override;
    void ShowNote(QWidget* pOwner, const QString& text) override;
    int TrackPopupMenu(QWidget* pOwner, const std::vector<MenuItem>& items, const QPoint& globalPos) override;
    int RunModal(CDialog& dialog) override;
    std::optional<std::vector<QString>> AskValues(QWidget* pOwner, const ValuesRequest& request) override;
    void ShowRecoveryCopies(QWidget* pOwner, RecoveryCopiesList& list) override;
    ClipboardService& Clipboard() override;
    std::optional<std::size_t> ChooseTuner(QWidget* pOwner, const TunerChooserRequest& request) override;
};
