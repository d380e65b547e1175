#include "FakeUserServices.h"

#include "CDialog.h"

std::optional<QString> FakeUserServices::ChooseFile(const FileDialogRequest& request)
{
    const std::optional<FileChoice> choice = ChooseFileAndFilter(request);
    if (!choice)
        return std::nullopt;
    return choice->path;
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
