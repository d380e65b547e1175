#include "Csv.h"

bool ParseCsv(std::string_view text, std::vector<CsvRecord>& rows, std::string& error)
{
    rows.clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    std::size_t line = 1;
    CsvRecord row;
    row.line = 1;
    std::string field;
    bool bRowHasText = false;
    const auto endRow = [&]() {
        row.fields.push_back(field);
        field.clear();
        if (bRowHasText)
            rows.push_back(row);
        row = CsvRecord();
        row.line = line;
        bRowHasText = false;
    };

    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' && field.empty()) {
            const std::size_t quoteLine = line;
            bRowHasText = true;
            for (++i;; ++i) {
                if (i >= text.size()) {
                    error = "line " + std::to_string(quoteLine) + ": a quote is never closed";
                    return false;
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    break;
                }
                if (text[i] == '\n')
                    ++line;
                field += text[i];
            }
            const char next = i + 1 < text.size() ? text[i + 1] : '\n';
            if (next != ',' && next != '\n' && next != '\r') {
                error = "line " + std::to_string(line) + ": text after a closing quote";
                return false;
            }
            continue;
        }
        if (c == ',') {
            row.fields.push_back(field);
            field.clear();
            bRowHasText = true;
        } else if (c == '\n') {
            ++line;
            endRow();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        } else {
            field += c;
            bRowHasText = true;
        }
    }
    endRow();
    return true;
}
