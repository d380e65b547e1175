#pragma once
// Canned answers for the person-facing services, so that no benchmark waits
// on a window.

#include <deque>

#include "ui/app/UserServices.h"

class BenchServices : public UserServices
{
public:
    BenchServices() = default;
    BenchServices(const BenchServices&) = delete;
    BenchServices& operator=(const BenchServices&) = delete;

    // Taken in order; an empty queue answers "cancel" / "no command".
    std::deque<QString> fileAnswers;
    std::deque<int> menuAnswers;
    std::deque<std::vector<QString>> valueAnswers;
    std::deque<std::size_t> tunerAnswers;
    int messageCount = 0;

    std::optional<QString> ChooseFile(const FileDialogRequest& request) override;
    void ShowMessage(QWidget* pOwner, const QString& text, MessageIcon icon) override;
    void ShowNote(QWidget* pOwner, const QString& text) override;
    int TrackPopupMenu(QWidget* pOwner, const std::vector<MenuItem>& items, const QPoint& globalPos) override;
    int RunModal(CDialog& dialog) override;
    std::optional<std::vector<QString>> AskValues(QWidget* pOwner, const ValuesRequest& request) override;
    // Closes the list at once.
    void ShowRecoveryCopies(QWidget* pOwner, RecoveryCopiesList& list) override;
    std::optional<std::size_t> ChooseTuner(QWidget* pOwner, const TunerChooserRequest& request) override;
};

// Delivers events until a whole round delivers none: a list view's deferred
// layout, the repaint it asks for and whatever that posts in turn.
void SettleEvents();
