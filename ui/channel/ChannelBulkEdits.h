#pragma once
// The bulk edits of the selected rows of the channel editor, as a part of
// their own: moving them (Move Up / Move Down, and to a channel), offsetting,
// rounding, clearing and sorting their frequencies, filling them down or in
// a series, filling in a raster of channels, and replacing frequencies
// found. Each asks for what it needs, checks it, and runs as one step of the
// document; the editor then shows the rows where they went.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QString>

#include "ui/app/UserServices.h"
#include "ui/channel/ChannelListAccess.h"
#include "ui/editor/EditorCommands.h"

class ChannelTableDocument;
class QWidget;

class ChannelBulkEdits
{
public:
    // The bulk edits as the editor's commands, in its Edit menu and in its
    // row menu in this order.
    static const std::vector<PartCommand<ChannelBulkEdits>>& Commands();

    ChannelBulkEdits(ChannelTableDocument& document, UserServices& services, QWidget& owner, ChannelListAccess list);

    void MoveUp();
    void MoveDown();
    void MoveToChannel();
    void OffsetFrequencies();
    void RoundFrequencies();
    void ClearToEmptySlot();
    void SortSelection();
    void FillDown();
    void FillSeries();
    // Of the whole list shown, or of both lists, with no selection needed.
    void FindAndReplace();
    void FillRaster();

private:
    // A refused input.
    void ShowMessage(const QString& text) const;
    std::optional<std::vector<QString>> AskValues(const QString& title, std::vector<ValueField> fields) const;
    // The selected channels, when there is a table and a selection.
    std::optional<std::vector<std::int32_t>> Chosen() const;
    // The chosen channels and the values asked about them; nothing without a
    // choice or when the person cancels.
    struct ChosenAndAsked
    {
        std::vector<std::int32_t> channels;
        std::vector<QString> values;
    };
    std::optional<ChosenAndAsked> AskAboutChosen(const QString& title, std::vector<ValueField> fields) const;
    // Runs an edit of the chosen channels whose result is where they are
    // afterwards (empty when nothing changed).
    void MoveAs(const std::function<std::vector<std::int32_t>(const std::vector<std::int32_t>&)>& edit);

    ChannelTableDocument& m_document;
    UserServices& m_services;
    QWidget& m_owner;
    ChannelListAccess m_rows;
};
