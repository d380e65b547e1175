#pragma once
// File > Import... and File > Export... of the channel table editor, as a part
// of its own: a whole table as JSON, or channel lists as CSV, in the formats
// of vornalix-tool. A JSON table takes the place of the one being edited; a
// CSV file with a list column replaces both lists (a list it gives no rows is
// emptied), one without it the list shown; without a table a CSV import first
// makes one, as "Create New" does, in the same step. Export writes the table,
// or the list shown without a list column.

#include <functional>
#include <string>

#include "ui/channel/ChannelListAccess.h"

class ChannelTableDocument;
class QWidget;
class UserServices;

class ChannelTransfer
{
public:
    // What an import needs of the editor: a table made as "Create New" makes
    // it, and the displays shown again after a table came in, whole or as lists.
    struct EditorSteps
    {
        std::function<void()> createTable;
        std::function<void()> showTable;
        std::function<void()> showLists;
    };

    ChannelTransfer(ChannelTableDocument& document, UserServices& services, QWidget& owner, ChannelListAccess list,
                    EditorSteps steps);

    void Import();
    void Export();

private:
    void ImportLists(const std::string& path);

    ChannelTableDocument& m_document;
    UserServices& m_services;
    QWidget& m_owner;
    ChannelListAccess m_list;
    EditorSteps m_steps;
};
