#pragma once
// Table > Check Against Tuner... of the channel table editor, as a part of
// its own: a tuner table chosen and read as the tuner editor reads one, one
// of its tuners chosen in the tuner chooser, and the channels outside that
// tuner's bands. The part keeps the choice while the editor is open: Check
// Table, the status line's summary and the band chart judge the table against
// it until another is chosen. The choice is no part of the table: undo and
// redo leave it, and no file or recovery copy holds it.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "edit/TunerChoice.h"
#include "tables/catalogue/TunerNames.h"
#include "ui/editor/CTableFindingsWindow.h"

class ChannelTableDocument;
class QWidget;
class UserServices;

// A tuner table as the editor's commands read it: its file, its tuners in
// table order and the names the tuner catalogue gives their codes.
struct TunerTableTuners
{
    QString path;
    std::vector<TunerSpecEntry> entries;
    TunerNames names;

    // The entry at index chosen, as Check Against Tuner makes its choice.
    TunerChoice ChoiceOf(std::size_t index) const;
};

class ChannelTunerCheck
{
public:
    ChannelTunerCheck(const ChannelTableDocument& document, UserServices& services, QWidget& owner);

    // Asks for a tuner table and one of its tuners: the tuner table chosen
    // last is offered first, else the folder of the channel table's file.
    // Nothing when the person cancels, the file cannot be read (which is
    // said) or it holds no tuner.
    std::optional<TunerChoice> AskTuner();
    // The first half of AskTuner: a tuner table asked for where AskTuner
    // begins, titled for the command, and read as AskTuner reads one; the
    // file is not offered again unless a tuner of it is chosen.
    std::optional<TunerTableTuners> AskTunerTable(const QString& title);

    const std::optional<TunerChoice>& Chosen() const { return m_chosen; }
    void Choose(std::optional<TunerChoice> choice) { m_chosen = std::move(choice); }

    // The channels outside the chosen tuner's bands, for the findings window
    // to list after the table's own findings; nothing without a tuner.
    std::optional<TunerFindings> Findings() const;

    // The tuner catalogue that names the tuners offered, instead of the one
    // the tuner editor would find.
    void SetCataloguePath(const std::string& path) { m_cataloguePath = path; }

private:
    std::optional<TunerTableTuners> ReadTunerTable(const QString& path);

    const ChannelTableDocument& m_document;
    UserServices& m_services;
    QWidget& m_owner;
    std::optional<TunerChoice> m_chosen;
    QString m_lastTunerTable;
    std::string m_cataloguePath;
};
