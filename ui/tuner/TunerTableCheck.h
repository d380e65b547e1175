#pragma once
// Table > Check Table of the tuner table editor, as a part of its own: the
// findings of the entries, kept as their rows (TunerTableFindings), in the
// window EditorTableCheck keeps beside the editor and brings up to date
// after edits.

#include <cstdint>
#include <functional>

#include "ui/editor/EditorTableCheck.h"

class TunerTableDocument;

class TunerTableCheck : public EditorTableCheck
{
public:
    // activate selects the entry a finding names (1-based).
    TunerTableCheck(TunerTableDocument& document, QWidget& owner, std::function<void(std::int32_t)> activate);

private:
    bool HasTable() const override;
    void Fill(CTableFindingsWindow& window) const override;

    TunerTableDocument& m_document;
};
