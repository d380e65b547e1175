#include "tests/ui/FakeUserServices.h"

#include "ui/dialog/CDialog.h"

std::optional<QString> FakeUserServices::ChooseFile(const FileDialogRequest& request)
{
    const std::optional<FileChoice> choice = ChooseFileAndFilter(request);
    if (!choice)
        return std::nullopt;
    return choice->path;
}

std::optional<QStringList> FakeUserServices::ChooseFiles(const FileDialogRequest& request)
{
    if (filesAnswers.empty())
        return UserServices::ChooseFiles(request);
    fileRequests.push_back(request);
    QStringList files = filesAnswers.front();
    filesAnswers.pop_front();
    return files;
}

std::optional<FileChoice> FakeUserServices::ChooseFileAndFilter(const FileDialogRequest& request)
{
    fileRequests.push_back(request);
    if (fileAnswers.empty())
        return std::nullopt;
    const bool bChosen = fileAnswers.front().has_value();
    const QString path = bChosen ? *fileAnswers.front() : QString();
    fileAnswers.pop_front();
    int iFilter = 0;
    if (!fileFilterAnswers.empty()) {
        iFilter = fileFilterAnswers.front();
        fileFilterAnswers.pop_front();
    }
    if (!bChosen)
        return std::nullopt;
    return FileChoice{path, iFilter};
}

void FakeUserServices::ShowMessage(QWidget*, const QString& text, MessageIcon)
{
    messages.push_back(text);
}

void FakeUserServices::ShowNote(QWidget*, const QString& text)
{
    notes.push_back(text);
}

int FakeUserServices::TrackPopupMenu(QWidget*, const std::vector<MenuItem>& items, const QPoint&)
{
    menus.push_back(items);
    if (menuAnswers.empty())
        return 0;
    const int answer = menuAnswers.front();
    menuAnswers.pop_front();
    // A greyed item cannot be chosen: the menu closes without a command.
    for (const MenuItem& item : items) {
        if (item.command == answer && !item.bEnabled)
            return 0;
    }
    return answer;
}

int FakeUserServices::RunModal(CDialog& dialog)
{
    modalDialogs.push_back(dialog.windowTitle());
    if (onRunModal)
        return onRunModal(dialog);
    dialog.Create();
    dialog.EndDialog(2);
    return 2;
}

std::optional<std::vector<QString>> FakeUserServices::AskValues(QWidget*, const ValuesRequest& request)
{
    valueRequests.push_back(request);
    if (valueAnswers.empty())
        return std::nullopt;
    std::optional<std::vector<QString>> answer = valueAnswers.front();
    valueAnswers.pop_front();
    return answer;
}

namespace {

std::vector<RecoveryListRow> RowsOf(const RecoveryCopiesList& list)
{
    std::vector<RecoveryListRow> rows;
    for (std::size_t i = 0; i < list.Count(); ++i)
        rows.push_back(list.Row(i));
    return rows;
}

} // namespace

void FakeUserServices::ShowRecoveryCopies(QWidget*, RecoveryCopiesList& list)
{
    recoveryLists.push_back(RecoveryListShown{RowsOf(list), {}, {}});
    RecoveryListShown& shown = recoveryLists.back();
    std::vector<RecoveryListStep> steps;
    if (!recoveryListAnswers.empty()) {
        steps = recoveryListAnswers.front();
        recoveryListAnswers.pop_front();
    }
    for (const RecoveryListStep& step : steps) {
        // A row the list does not have cannot be selected.
        if (step.index >= list.Count())
            continue;
        if (step.action == RecoveryListStep::Action::Preview)
            shown.previews.push_back(list.Preview(step.index));
        else if (step.action == RecoveryListStep::Action::Discard)
            list.Discard(step.index);
        else if (list.Restore(step.index))
            break;
    }
    shown.rowsAtClose = RowsOf(list);
}

ClipboardService& FakeUserServices::Clipboard()
{
    return pClipboard ? *pClipboard : UserServices::Clipboard();
}

std::optional<std::size_t> FakeUserServices::ChooseTuner(QWidget* pOwner, const TunerChooserRequest& request)
{
    tunerRequests.push_back(request);
    if (onChooseTuner)
        return onChooseTuner(pOwner, request);
    if (tunerAnswers.empty())
        return std::nullopt;
    const std::optional<std::size_t> answer = tunerAnswers.front();
    tunerAnswers.pop_front();
    return answer;
}
