#include "edit/TableTransfer.h"

#include <new>
#include <utility>

#include "platform/Printable.h"
#include "tables/text/Json.h"
#include "tables/text/TableJson.h"

namespace {

bool Fail(TransferError& error, std::size_t line, std::size_t column, std::string reason)
{
    error.line = line;
    error.column = column;
    error.reason = std::move(reason);
    return false;
}

// A table's document read from a text, or false with the reader's place and reason.
bool ReadDocument(std::string_view text, TableJsonDocument& document, TransferError& error)
{
    JsonParseError parseError;
    if (document.Read(text, parseError))
        return true;
    return Fail(error, parseError.where.line, parseError.where.column, "not valid JSON: " + parseError.reason);
}

// A table reader's refusal, placed at the value it refused.
bool TableRefused(std::string_view text, std::size_t offset, const char* what, const std::string& reason,
                  TransferError& error)
{
    const JsonTextPosition where = JsonPositionOf(text, offset);
    return Fail(error, where.line, where.column, std::string(what) + reason);
}

template <class Table, class Read>
bool ReadTableJson(std::string_view text, std::unique_ptr<Table>& table, TransferError& error, const char* what,
                   Read read)
{
    table.reset();
    TableJsonDocument document;
    if (!ReadDocument(text, document, error))
        return false;
    std::unique_ptr<Table> pRead(new (std::nothrow) Table(true));
    if (!pRead)
        return Fail(error, 0, 0, "cannot be held: out of memory");
    std::string reason;
    std::size_t offset = 0;
    if (!read(document, *pRead, reason, &offset))
        return TableRefused(text, offset, what, reason, error);
    table = std::move(pRead);
    return true;
}

std::string JsonLine(const JsonWriter& json)
{
    return json.Text() + '\n';
}

} // namespace

std::string TransferPlace(const TransferError& error)
{
    if (error.line == 0)
        return {};
    std::string place = "line " + std::to_string(error.line);
    if (error.column > 0)
        place += ", column " + std::to_string(error.column);
    return place + ": ";
}

std::string TransferMessage(const std::string& path, const TransferError& error)
{
    return PrintableText(path) + ": " + TransferPlace(error) + error.reason;
}

std::string ChannelTableJsonText(const ChannelTable& table)
{
    JsonWriter json;
    WriteChannelTableJson(json, table);
    return JsonLine(json);
}

std::string TunerTableJsonText(const TunerSpecTable& table)
{
    JsonWriter json;
    WriteTunerTableJson(json, table);
    return JsonLine(json);
}

bool ReadChannelTableJson(std::string_view text, std::unique_ptr<ChannelTable>& table, TransferError& error)
{
    return ReadTableJson(text, table, error, "not a channel table: ",
                         [](const TableJsonDocument& document, ChannelTable& read, std::string& reason,
                            std::size_t* pOffset) { return ChannelTableFromJson(document, read, reason, pOffset); });
}

bool ReadTunerTableJson(std::string_view text, std::unique_ptr<TunerSpecTable>& table, TransferError& error)
{
    return ReadTableJson(text, table, error, "not a tuner table: ",
                         [](const TableJsonDocument& document, TunerSpecTable& read, std::string& reason,
                            std::size_t* pOffset) { return TunerTableFromJson(document, read, reason, pOffset); });
}

std::string ChannelListCsvText(const std::vector<double>& frequencies)
{
    return ChannelCsvText(frequencies);
}

bool ReadChannelListsCsv(std::string_view text, std::int32_t iUnnamedMode, ChannelCsvLists& lists, TransferError& error)
{
    CsvError csvError;
    if (ReadChannelCsv(text, iUnnamedMode, lists, csvError))
        return true;
    return Fail(error, csvError.where.line, csvError.where.column, csvError.reason);
}

bool ReadChannelListCsv(std::string_view text, std::vector<double>& frequencies, TransferError& error)
{
    ChannelCsvLists lists;
    if (!ReadChannelListsCsv(text, ChannelModeAir, lists, error))
        return false;
    frequencies = std::move(lists.air);
    return true;
}

bool ImportFromFile(const std::string& path, std::vector<std::uint8_t>& bytes, TransferError& error,
                    NonRegularFiles nonRegular)
{
    FileError fileError;
    if (!ReadFileBytes(path.c_str(), bytes, kMaxTransferFileSize + 1, &fileError, nonRegular))
        return Fail(error, 0, 0, "cannot be read: " + fileError.text);
    if (bytes.size() > kMaxTransferFileSize) {
        bytes.clear();
        return Fail(error, 0, 0,
                    "cannot be read: larger than " + std::to_string(kMaxTransferFileSize / (1024 * 1024)) + " MiB");
    }
    return true;
}

bool ExportToFile(const std::string& path, std::string_view text, TransferError& error)
{
    FileError fileError;
    if (WriteFileSafely(path.c_str(), reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), &fileError))
        return true;
    return Fail(error, 0, 0, "cannot be written: " + fileError.text);
}

bool ImportChannelTableFile(const std::string& path, std::unique_ptr<ChannelTable>& table, TransferError& error)
{
    std::vector<std::uint8_t> bytes;
    return ImportFromFile(path, bytes, error) && ReadChannelTableJson(TextOf(bytes), table, error);
}

bool ImportTunerTableFile(const std::string& path, std::unique_ptr<TunerSpecTable>& table, TransferError& error)
{
    std::vector<std::uint8_t> bytes;
    return ImportFromFile(path, bytes, error) && ReadTunerTableJson(TextOf(bytes), table, error);
}

bool ImportChannelListFile(const std::string& path, std::vector<double>& frequencies, TransferError& error)
{
    std::vector<std::uint8_t> bytes;
    return ImportFromFile(path, bytes, error) && ReadChannelListCsv(TextOf(bytes), frequencies, error);
}

bool ImportChannelListsFile(const std::string& path, std::int32_t iUnnamedMode, ChannelCsvLists& lists,
                            TransferError& error)
{
    std::vector<std::uint8_t> bytes;
    return ImportFromFile(path, bytes, error) && ReadChannelListsCsv(TextOf(bytes), iUnnamedMode, lists, error);
}

bool ExportChannelTableFile(const std::string& path, const ChannelTable& table, TransferError& error)
{
    return ExportToFile(path, ChannelTableJsonText(table), error);
}

bool ExportTunerTableFile(const std::string& path, const TunerSpecTable& table, TransferError& error)
{
    return ExportToFile(path, TunerTableJsonText(table), error);
}

bool ExportChannelListFile(const std::string& path, const std::vector<double>& frequencies, TransferError& error)
{
    return ExportToFile(path, ChannelListCsvText(frequencies), error);
}
