#pragma once
// Copy and Paste of channel rows in the channel table editor, as a part of
// its own. Copy puts the selected rows of the list shown on the clipboard, as
// tab-separated channel numbers and frequencies that a spreadsheet pastes
// into two columns and as the tool's CSV; Paste reads frequencies from the
// clipboard's text (a value per line, or a table copied from a spreadsheet
// or a CSV file) and inserts them before the current row, or after the last
// channel, as one step.

#include "ui/channel/ChannelListAccess.h"
#include "ui/editor/EditorCommands.h"

class ChannelTableDocument;
class QWidget;
class UserServices;

class ChannelClipboard
{
public:
    ChannelClipboard(ChannelTableDocument& document, UserServices& services, QWidget& owner, ChannelListAccess list);

    // Copy, Paste and Paste at End as the editor's commands.
    static const std::vector<PartCommand<ChannelClipboard>>& Commands();

    void Copy();
    void Paste(bool bAtEnd);

private:
    void ShowMessage(const QString& text) const;

    ChannelTableDocument& m_document;
    UserServices& m_services;
    QWidget& m_owner;
    ChannelListAccess m_list;
};
