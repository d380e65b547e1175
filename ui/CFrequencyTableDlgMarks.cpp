// The channel table editor's marks: rows whose frequency another channel of
// the list holds too stand out, with a note naming that channel. The marks
// come from the same duplicate index as the table check, made from the
// snapshot each rebuild of the list takes, so every change of the list (undo
// and redo too) brings them up to date.

#include <memory>

#include "CFrequencyTableDlg.h"
#include "DuplicateFrequencies.h"
#include "ListView.h"
#include "Strings.h"

RowMarkFunction CFrequencyTableDlg::DuplicateMarks(const std::vector<double>& frequencies)
{
    auto duplicates = std::make_shared<const DuplicateFrequencies>(frequencies);
    if (!duplicates->Any())
        return nullptr;
    return [duplicates](int row) {
        const std::int32_t other = duplicates->OtherOf(static_cast<std::size_t>(row));
        if (other == DuplicateFrequencies::kNone)
            return RowMark{};
        return RowMark{RowMark::Kind::Warning, QString::fromLatin1(kSameFrequencyNote).arg(other + 1)};
    };
}
