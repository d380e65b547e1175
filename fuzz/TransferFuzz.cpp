// The editors' import readers, each fed the same input: a JSON document for
// either table kind and a CSV list. What one of them takes is exported again
// and reads back to the same table or list, taken by a document it is one
// step that undo takes back (a CSV with a list column gives both lists, one
// without it the list asked for); what it refuses leaves nothing behind and is
// placed on a line and column of the input, in a one-line message.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "edit/ChannelTableDocument.h"
#include "edit/TableTransfer.h"
#include "edit/TunerTableDocument.h"
#include "tables/text/TableJson.h"

namespace {

// A place must lie inside the text: on one of its lines, at most one column
// past that line's end.
void CheckRefusal(std::string_view text, const TransferError& error)
{
    const std::string message = TransferMessage("in", error);
    if (error.reason.empty() || message.find('\n') != std::string::npos || message.size() > 400)
        std::abort();
    if (error.line == 0)
        return;
    std::size_t lineStart = 0;
    for (std::size_t line = 1; line < error.line; ++line) {
        lineStart = text.find('\n', lineStart);
        if (lineStart == std::string_view::npos)
            std::abort();
        ++lineStart;
    }
    const std::size_t lineEnd = std::min(text.find('\n', lineStart), text.size());
    if (error.column == 0 || error.column > lineEnd - lineStart + 1)
        std::abort();
}

std::vector<std::uint64_t> Bits(const std::vector<double>& values)
{
    std::vector<std::uint64_t> bits(values.size());
    if (!values.empty())
        std::memcpy(bits.data(), values.data(), values.size() * sizeof(double));
    return bits;
}

void ChannelTableJson(std::string_view text)
{
    std::unique_ptr<ChannelTable> pTable;
    TransferError error;
    if (!ReadChannelTableJson(text, pTable, error)) {
        if (pTable)
            std::abort();
        CheckRefusal(text, error);
        return;
    }
    const std::string exported = ChannelTableJsonText(*pTable);
    const std::vector<std::uint8_t> image = pTable->FileImage();
    std::unique_ptr<ChannelTable> pAgain;
    if (!ReadChannelTableJson(exported, pAgain, error) || pAgain->FileImage() != image ||
        ChannelTableJsonText(*pAgain) != exported)
        std::abort();

    ChannelTableDocument doc;
    if (!doc.CreateNew() || !doc.Append(55.25))
        std::abort();
    // A table that is the one held already changes nothing and is no step.
    const std::size_t steps = doc.UndoCount();
    if (!doc.Import(std::move(pTable)) || doc.Table()->FileImage() != image)
        std::abort();
    if (doc.UndoCount() == steps)
        return;
    if (!doc.Undo() || doc.CurrentFrequencies() != std::vector<double>{55.25} || !doc.Redo() ||
        doc.Table()->FileImage() != image)
        std::abort();
}

void TunerTableJson(std::string_view text)
{
    std::unique_ptr<TunerSpecTable> pTable;
    TransferError error;
    if (!ReadTunerTableJson(text, pTable, error)) {
        if (pTable)
            std::abort();
        CheckRefusal(text, error);
        return;
    }
    const std::string exported = TunerTableJsonText(*pTable);
    const std::vector<std::uint8_t> image = TunerTableFileImage(*pTable);
    std::unique_ptr<TunerSpecTable> pAgain;
    if (!ReadTunerTableJson(exported, pAgain, error) || TunerTableFileImage(*pAgain) != image ||
        TunerTableJsonText(*pAgain) != exported)
        std::abort();

    TunerTableDocument doc;
    if (!doc.CreateNew())
        std::abort();
    const std::size_t steps = doc.UndoCount();
    if (!doc.Import(std::move(pTable)) || TunerTableFileImage(*doc.Table()) != image)
        std::abort();
    if (doc.UndoCount() == steps)
        return;
    if (!doc.Undo() || doc.Table()->GetList()->iCount != 0 || !doc.Redo() || TunerTableFileImage(*doc.Table()) != image)
        std::abort();
}

void ChannelListCsv(std::string_view text)
{
    std::vector<double> list = {1.0, 2.0};
    TransferError error;
    if (!ReadChannelListCsv(text, list, error)) {
        if (list != std::vector<double>{1.0, 2.0})
            std::abort();
        CheckRefusal(text, error);
        return;
    }
    if (list.size() > static_cast<std::size_t>(ChannelTable::kMaxChannels))
        std::abort();
    std::vector<double> again;
    if (!ReadChannelListCsv(ChannelListCsvText(list), again, error) || Bits(again) != Bits(list))
        std::abort();

    ChannelTableDocument doc;
    if (!doc.CreateNew() || !doc.Append(7.0))
        std::abort();
    const std::vector<std::uint8_t> before = doc.Table()->FileImage();
    if (!doc.ReplaceList(ChannelModeAir, list) || Bits(doc.CurrentFrequencies()) != Bits(list))
        std::abort();
    const std::vector<std::uint8_t> after = doc.Table()->FileImage();
    if (list != std::vector<double>{7.0} && (!doc.Undo() || doc.Table()->FileImage() != before || !doc.Redo()))
        std::abort();
    if (doc.Table()->FileImage() != after)
        std::abort();
}

// Both lists of a text with a list column, or the cable list of one without:
// written back in the form that says which, they read back the same.
void ChannelListsCsv(std::string_view text)
{
    ChannelCsvLists lists;
    lists.air = {1.0};
    TransferError error;
    if (!ReadChannelListsCsv(text, ChannelModeCable, lists, error)) {
        if (lists.air != std::vector<double>{1.0} || !lists.cable.empty())
            std::abort();
        CheckRefusal(text, error);
        return;
    }
    if ((!lists.bListColumn && !lists.air.empty()) || lists.air.size() > 65535u || lists.cable.size() > 65535u)
        std::abort();
    ChannelCsvLists again;
    if (!ReadChannelListsCsv(ChannelCsvText(lists.air, lists.cable), ChannelModeAir, again, error) ||
        !again.bListColumn || Bits(again.air) != Bits(lists.air) || Bits(again.cable) != Bits(lists.cable))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ChannelTableJson(text);
    TunerTableJson(text);
    ChannelListCsv(text);
    ChannelListsCsv(text);
    return 0;
}
