#pragma once
// Table > Check Table of the channel table editor, as a part of its own: the
// table's findings and, with a tuner chosen, the channels that tuner cannot
// tune, in the window EditorTableCheck keeps beside the editor.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "ui/editor/EditorTableCheck.h"

class ChannelTableDocument;

class ChannelTableCheck : public EditorTableCheck
{
public:
    using TunerFindingsSource = std::function<std::optional<TunerFindings>()>;
    // activate selects the row a finding names (list, channel).
    ChannelTableCheck(ChannelTableDocument& document, QWidget& owner, TunerFindingsSource tunerFindings,
                      std::function<void(std::int32_t, std::int32_t)> activate);

private:
    bool HasTable() const override;
    void Fill(CTableFindingsWindow& window) const override;
    std::vector<TableFinding> Findings() const;

    ChannelTableDocument& m_document;
    TunerFindingsSource m_tunerFindings;
};
