#pragma once
// The list's frequency cells as a person edits them in place, as in a
// spreadsheet: a cell opens with the channel's value as the Frequency field
// shows it, and what is typed becomes the channel's frequency by the field's
// rule, one step named like its command ("Edit Frequency"). As for "Save
// value", the range is left alone. Text that leaves the value as it was, or
// no text, changes nothing, so that Tab through the cells makes no steps.

#include <QString>

class ChannelTableDocument;
class ListView;

class FrequencyCells
{
public:
    FrequencyCells(ChannelTableDocument& document, ListView& list, int column);

    // The current row's cell, else the first selected row's; nothing without rows.
    void EditCurrent();

private:
    QString Text(int row) const;
    bool Commit(int row, const QString& text);

    ChannelTableDocument& m_document;
    ListView& m_list;
};
