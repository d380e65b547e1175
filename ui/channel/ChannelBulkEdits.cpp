#include "ui/channel/ChannelBulkEdits.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include <QStringList>
#include <QWidget>

#include "edit/ChannelTableDocument.h"
#include "res/resource.h"
#include "tables/format/ChannelTable.h"

namespace {

// A typed value must be a number as a whole: in a form of several values a
// stray character is a mistake to be pointed out, not a 0 to be stored.
std::string_view WithoutPlusSign(const QByteArray& text)
{
    std::string_view view(text.constData(), static_cast<std::size_t>(text.size()));
    if (!view.empty() && view.front() == '+' && (view.size() == 1 || view[1] != '-'))
        view.remove_prefix(1);
    return view;
}

std::optional<double> ReadMegahertz(const QString& text)
{
    const QByteArray latin = text.trimmed().toLatin1();
    const std::string_view view = WithoutPlusSign(latin);
    double value = 0.0;
    const auto [pEnd, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (view.empty() || error != std::errc() || pEnd != view.data() + view.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// What Find and Replace looks for: one frequency ("175.25") or a range from
// the lower to the higher ("470-862"); a leading minus is a sign, not a range.
std::optional<std::pair<double, double>> ReadFrequencyOrRange(const QString& text)
{
    const QString trimmed = text.trimmed();
    const qsizetype dash = trimmed.indexOf(QLatin1Char('-'), 1);
    if (dash < 0) {
        const std::optional<double> value = ReadMegahertz(trimmed);
        return value ? std::optional(std::pair(*value, *value)) : std::nullopt;
    }
    const std::optional<double> low = ReadMegahertz(trimmed.left(dash));
    const std::optional<double> high = ReadMegahertz(trimmed.mid(dash + 1));
    if (!low || !high || *low > *high)
        return std::nullopt;
    return std::pair(*low, *high);
}

std::optional<std::int32_t> ReadWholeNumber(const QString& text)
{
    const QByteArray latin = text.trimmed().toLatin1();
    const std::string_view view = WithoutPlusSign(latin);
    std::int32_t value = 0;
    const auto [pEnd, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (view.empty() || error != std::errc() || pEnd != view.data() + view.size())
        return std::nullopt;
    return value;
}

} // namespace

const std::vector<PartCommand<ChannelBulkEdits>>& ChannelBulkEdits::Commands()
{
    using Edits = ChannelBulkEdits;
    // Alt+Up and Alt+Down are the list's: in the mode's drop-down Alt+Down opens it.
    static const std::vector<PartCommand<Edits>> commands = {
        {IDM_MOVE_UP,
         MenuText(BulkEditName::kMoveUp, 'p'),
         {StandardShortcut::None, "Alt+Up", KeyScope::List},
         true,
         &Edits::MoveUp},
        {IDM_MOVE_DOWN,
         MenuText(BulkEditName::kMoveDown, 'D'),
         {StandardShortcut::None, "Alt+Down", KeyScope::List},
         true,
         &Edits::MoveDown},
        {IDM_MOVE_TO_CHANNEL, MenuText(BulkEditName::kMoveToChannel, 'M', true), {}, true, &Edits::MoveToChannel},
        {IDM_OFFSET_FREQUENCIES,
         MenuText(BulkEditName::kOffsetFrequencies, 'O', true),
         {},
         true,
         &Edits::OffsetFrequencies},
        {IDM_ROUND_FREQUENCIES,
         MenuText(BulkEditName::kRoundFrequencies, 'n', true),
         {},
         true,
         &Edits::RoundFrequencies},
        {IDM_CLEAR_TO_EMPTY, MenuText(BulkEditName::kClearToEmptySlot, 'C'), {}, true, &Edits::ClearToEmptySlot},
        {IDM_SORT_SELECTION, MenuText(BulkEditName::kSortByFrequency, 'S'), {}, true, &Edits::SortSelection},
        {IDM_FILL_DOWN,
         MenuText(BulkEditName::kFillDown, 'w'),
         {StandardShortcut::None, "Ctrl+D", KeyScope::List},
         true,
         &Edits::FillDown},
        {IDM_FILL_SERIES, MenuText(BulkEditName::kFillSeries, 'l', true), {}, true, &Edits::FillSeries},
        {IDM_FILL_RASTER, MenuText(BulkEditName::kFillRaster, 'i', true), {}, false, &Edits::FillRaster},
    };
    return commands;
}

ChannelBulkEdits::ChannelBulkEdits(ChannelTableDocument& document, UserServices& services, QWidget& owner,
                                   ChannelListAccess list)
    : m_document(document), m_services(services), m_owner(owner), m_rows(std::move(list))
{
}

std::optional<std::vector<QString>> ChannelBulkEdits::AskValues(const QString& title,
                                                                std::vector<ValueField> fields) const
{
    ValuesRequest request;
    request.title = title;
    request.fields = std::move(fields);
    std::optional<std::vector<QString>> values = m_services.AskValues(&m_owner, request);
    if (values && values->size() != request.fields.size())
        return std::nullopt;
    return values;
}

void ChannelBulkEdits::ShowMessage(const QString& text) const
{
    m_services.ShowMessage(&m_owner, text, MessageIcon::Exclamation);
}

std::optional<std::vector<std::int32_t>> ChannelBulkEdits::Chosen() const
{
    std::vector<std::int32_t> channels = m_rows.selected();
    if (!m_document.HasTable() || channels.empty())
        return std::nullopt;
    return channels;
}

std::optional<ChannelBulkEdits::ChosenAndAsked> ChannelBulkEdits::AskAboutChosen(const QString& title,
                                                                                 std::vector<ValueField> fields) const
{
    std::optional<std::vector<std::int32_t>> channels = Chosen();
    if (!channels)
        return std::nullopt;
    std::optional<std::vector<QString>> values = AskValues(title, std::move(fields));
    if (!values)
        return std::nullopt;
    return ChosenAndAsked{std::move(*channels), std::move(*values)};
}

void ChannelBulkEdits::MoveAs(const std::function<std::vector<std::int32_t>(const std::vector<std::int32_t>&)>& edit)
{
    const auto held = m_document.HoldAnnouncements();
    const std::optional<std::vector<std::int32_t>> channels = Chosen();
    if (!channels)
        return;
    const std::vector<std::int32_t> moved = edit(*channels);
    if (!moved.empty())
        m_rows.showSelected(moved);
}

void ChannelBulkEdits::MoveUp()
{
    MoveAs([this](const std::vector<std::int32_t>& channels) { return m_document.MoveUp(channels); });
}

void ChannelBulkEdits::MoveDown()
{
    MoveAs([this](const std::vector<std::int32_t>& channels) { return m_document.MoveDown(channels); });
}

void ChannelBulkEdits::MoveToChannel()
{
    // The field proposes the first chosen channel: the choice comes first.
    const std::optional<std::vector<std::int32_t>> chosen = Chosen();
    if (!chosen)
        return;
    const std::vector<std::int32_t>& channels = *chosen;
    const std::optional<std::vector<QString>> asked =
        AskValues(QString::fromLatin1(BulkEditName::kMoveToChannel),
                  {ValueField{QStringLiteral("&Channel:"), QString::number(channels.front())}});
    if (!asked)
        return;
    const std::vector<QString>& values = *asked;
    const auto highest = m_document.CurrentCount() - static_cast<std::int32_t>(channels.size()) + 1;
    const std::optional<std::int32_t> target = ReadWholeNumber(values[0]);
    if (!target || *target < 1 || *target > highest) {
        ShowMessage(QStringLiteral("The channel must be a whole number from 1 to %1.").arg(highest));
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    const std::vector<std::int32_t> moved = m_document.MoveToChannel(channels, *target);
    if (!moved.empty())
        m_rows.showSelected(moved);
}

void ChannelBulkEdits::OffsetFrequencies()
{
    const std::optional<ChosenAndAsked> asked =
        AskAboutChosen(QString::fromLatin1(BulkEditName::kOffsetFrequencies),
                       {ValueField{QStringLiteral("&Offset (MHz):"), QString()}});
    if (!asked)
        return;
    const auto& [channels, values] = *asked;
    const std::optional<double> offset = ReadMegahertz(values[0]);
    if (!offset) {
        ShowMessage(QStringLiteral("The offset must be a number of MHz, such as +0.25 or -1."));
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    if (m_document.OffsetFrequencies(channels, *offset))
        m_rows.showSelected(channels);
}

void ChannelBulkEdits::RoundFrequencies()
{
    const std::optional<ChosenAndAsked> asked =
        AskAboutChosen(QString::fromLatin1(BulkEditName::kRoundFrequencies),
                       {ValueField{QStringLiteral("&To a step of (kHz: 1, 50 or 250):"), QStringLiteral("1")}});
    if (!asked)
        return;
    const auto& [channels, values] = *asked;
    const QString step = values[0].trimmed();
    std::optional<FrequencyStep> rasterStep;
    for (const FrequencyStep candidate :
         {FrequencyStep::Kilohertz1, FrequencyStep::Kilohertz50, FrequencyStep::Kilohertz250}) {
        if (step == QString::number(static_cast<int>(candidate)))
            rasterStep = candidate;
    }
    if (!rasterStep) {
        ShowMessage(QStringLiteral("The step is 1, 50 or 250 kHz."));
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    if (m_document.RoundFrequencies(channels, *rasterStep))
        m_rows.showSelected(channels);
}

void ChannelBulkEdits::ClearToEmptySlot()
{
    MoveAs([this](const std::vector<std::int32_t>& channels) {
        return m_document.ClearToEmptySlot(channels) ? channels : std::vector<std::int32_t>{};
    });
}

void ChannelBulkEdits::FillDown()
{
    MoveAs([this](const std::vector<std::int32_t>& channels) {
        return m_document.FillDown(channels) ? channels : std::vector<std::int32_t>{};
    });
}

void ChannelBulkEdits::FillSeries()
{
    const std::optional<ChosenAndAsked> asked =
        AskAboutChosen(QString::fromLatin1(BulkEditName::kFillSeries),
                       {ValueField{QStringLiteral("&Start (MHz):"), QString()},
                        ValueField{QStringLiteral("S&tep (MHz):"), QStringLiteral("8")}});
    if (!asked)
        return;
    const auto& [channels, values] = *asked;
    const std::optional<double> start = ReadMegahertz(values[0]);
    const std::optional<double> step = ReadMegahertz(values[1]);
    if (!start || !step) {
        ShowMessage(QStringLiteral("The start and the step must be numbers of MHz, such as 471.25 and 8."));
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    if (m_document.FillSeries(channels, *start, *step))
        m_rows.showSelected(channels);
}

void ChannelBulkEdits::FindAndReplace()
{
    if (!m_document.HasTable())
        return;
    const QStringList lists = {QStringLiteral("the list shown"), QStringLiteral("both lists")};
    const std::optional<std::vector<QString>> values =
        AskValues(QString::fromLatin1(BulkEditName::kFindAndReplace),
                  {ValueField{QStringLiteral("&Find (MHz, or a range such as 470-862):"), QString()},
                   ValueField{QStringLiteral("Replace &with (MHz):"), QString()},
                   ValueField{QStringLiteral("&In:"), lists.front(), lists}});
    if (!values)
        return;
    const std::optional<std::pair<double, double>> found = ReadFrequencyOrRange((*values)[0]);
    const std::optional<double> by = ReadMegahertz((*values)[1]);
    if (!found || !by) {
        ShowMessage(QStringLiteral("Find takes a number of MHz or a range from the lower to the higher, such as "
                                   "175.25 or 470-862, and Replace with a number of MHz."));
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    const std::int32_t changed =
        m_document.ReplaceFrequencies(found->first, found->second, *by, (*values)[2] == lists[1]);
    if (changed > 0)
        m_rows.showSelected({});
    m_rows.note(changed == 0   ? QStringLiteral("No channel was found: nothing changed")
                : changed == 1 ? QStringLiteral("1 channel changed")
                               : QStringLiteral("%1 channels changed").arg(changed));
}

void ChannelBulkEdits::SortSelection()
{
    MoveAs([this](const std::vector<std::int32_t>& channels) {
        return m_document.SortByFrequency(channels) ? channels : std::vector<std::int32_t>{};
    });
}

void ChannelBulkEdits::FillRaster()
{
    if (!m_document.HasTable())
        return;
    const std::vector<std::int32_t> selected = m_rows.selected();
    // Before the first selected channel, or after the last of the list.
    const QString atTheEnd = QString::fromLatin1(FillRasterPlace(0).c_str());
    QStringList places;
    if (!selected.empty())
        places << QString::fromLatin1(FillRasterPlace(selected.front()).c_str());
    places << atTheEnd;
    const std::optional<std::vector<QString>> values = AskValues(
        QString::fromLatin1(BulkEditName::kFillRaster),
        {ValueField{QStringLiteral("&Start (MHz):"), QString()}, ValueField{QStringLiteral("S&tep (MHz):"), QString()},
         ValueField{QStringLiteral("&Count:"), QString()},
         ValueField{QStringLiteral("&Where:"), places.front(), places}});
    if (!values)
        return;
    const std::vector<std::int32_t> channels = (*values)[3] == atTheEnd || selected.empty()
                                                   ? std::vector<std::int32_t>{}
                                                   : std::vector<std::int32_t>{selected.front()};
    const std::optional<double> start = ReadMegahertz((*values)[0]);
    const std::optional<double> stepMHz = ReadMegahertz((*values)[1]);
    if (!start || !stepMHz) {
        ShowMessage(QStringLiteral("The start and the step must be numbers of MHz, such as 112.25 and 8."));
        return;
    }
    const auto room = ChannelTable::kMaxChannels - m_document.CurrentCount();
    const std::optional<std::int32_t> count = ReadWholeNumber((*values)[2]);
    if (!count || *count < 1 || *count > room) {
        ShowMessage(room < 1 ? QStringLiteral("The list already holds %1 channels, the most it may hold.")
                                   .arg(ChannelTable::kMaxChannels)
                             : QStringLiteral(
                                   "The count must be a whole number from 1 to %1: a list holds at most %2 channels.")
                                   .arg(room)
                                   .arg(ChannelTable::kMaxChannels));
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    const std::vector<std::int32_t> added = m_document.FillRaster(channels, *start, *stepMHz, *count);
    if (!added.empty())
        m_rows.showSelected(added);
}
