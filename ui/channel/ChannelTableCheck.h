#pragma once
// Table > Check Table of the channel table editor, as a part of its own: the
// findings of the table as it stands (and, with a tuner chosen, the channels
// that tuner cannot tune) in a window beside the editor. The open window
// follows the document: once edits pause it is checked again, without taking
// the focus; a save changes nothing it shows.

#include <cstdint>
#include <functional>
#include <optional>

#include <QObject>
#include <QPointer>

#include "ui/editor/CTableFindingsWindow.h"

class ChannelTableDocument;
class QTimer;
class QWidget;
struct DocumentNews;

class ChannelTableCheck : public QObject
{
public:
    using TunerFindingsSource = std::function<std::optional<TunerFindings>()>;
    // activate selects the row a finding names (list, channel).
    ChannelTableCheck(ChannelTableDocument& document, QWidget& owner, TunerFindingsSource tunerFindings,
                      std::function<void(std::int32_t, std::int32_t)> activate);

    // The command: the window opens (or comes forward) with the findings.
    void Show();
    CTableFindingsWindow* Window() const { return m_pWindow; }

private:
    void Follow(const DocumentNews& news);
    void Refresh();
    std::vector<TableFinding> Findings() const;

    ChannelTableDocument& m_document;
    QWidget& m_owner;
    TunerFindingsSource m_tunerFindings;
    std::function<void(std::int32_t, std::int32_t)> m_activate;
    QPointer<CTableFindingsWindow> m_pWindow;
    // Started by each edit while the window shows; the check runs when it ends.
    QTimer* m_pTimer = nullptr;
};
