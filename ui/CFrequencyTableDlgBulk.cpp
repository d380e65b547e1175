// The bulk edits in the channel table editor: moving the selected rows (Move
// Up / Move Down, also Alt+Up / Alt+Down in the list, and moving them to a channel),
// offsetting, clearing and sorting their frequencies, and filling in a raster
// of channels. Each runs as one step of the document, then the list and the
// range are shown again and the rows stay selected where they went.
#include "CFrequencyTableDlg.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "ListView.h"
#include "resource.h"

namespace {

// A bulk edit's menu item: its name with the mnemonic before the first
// `letter`, and "..." when it asks for values first.
std::string MenuText(const char* name, char letter, bool bAsks = false)
{
    std::string text = name;
    const std::size_t at = text.find(letter);
    if (at != std::string::npos)
        text.insert(at, 1, '&');
    return bAsks ? text + "..." : text;
}

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

std::vector<int> RowsOf(const std::vector<std::int32_t>& channels)
{
    std::vector<int> rows;
    rows.reserve(channels.size());
    for (const std::int32_t iChannel : channels)
        rows.push_back(iChannel - 1);
    return rows;
}

} // namespace

CommandGroup<CFrequencyTableDlg> CFrequencyTableDlg::BulkCommands()
{
    using Dialog = CFrequencyTableDlg;
    const auto hasRows = [](const Dialog& dialog) {
        return dialog.m_document.HasTable() && dialog.GetListView(IDC_LIST_CHANNELS)->GetNextSelected(-1) >= 0;
    };
    // Alt+Up and Alt+Down are the list's: in the mode's drop-down Alt+Down opens it.
    return {
        {IDM_MOVE_UP,
         MenuText(BulkEditName::kMoveUp, 'p'),
         {StandardShortcut::None, "Alt+Up", KeyScope::List},
         hasRows,
         &Dialog::OnMoveUp},
        {IDM_MOVE_DOWN,
         MenuText(BulkEditName::kMoveDown, 'D'),
         {StandardShortcut::None, "Alt+Down", KeyScope::List},
         hasRows,
         &Dialog::OnMoveDown},
        {IDM_MOVE_TO_CHANNEL, MenuText(BulkEditName::kMoveToChannel, 'M', true), {}, hasRows, &Dialog::OnMoveToChannel},
        {IDM_OFFSET_FREQUENCIES,
         MenuText(BulkEditName::kOffsetFrequencies, 'O', true),
         {},
         hasRows,
         &Dialog::OnOffsetFrequencies},
        {IDM_ROUND_FREQUENCIES,
         MenuText(BulkEditName::kRoundFrequencies, 'n', true),
         {},
         hasRows,
         &Dialog::OnRoundFrequencies},
        {IDM_CLEAR_TO_EMPTY, MenuText(BulkEditName::kClearToEmptySlot, 'C'), {}, hasRows, &Dialog::OnClearToEmptySlot},
        {IDM_SORT_SELECTION, MenuText(BulkEditName::kSortByFrequency, 'S'), {}, hasRows, &Dialog::OnSortSelection},
        {IDM_FILL_RASTER,
         MenuText(BulkEditName::kFillRaster, 'i', true),
         {},
         SharedEditorCommands::HasTable<Dialog>,
         &Dialog::OnFillRaster},
    };
}

std::vector<std::int32_t> CFrequencyTableDlg::SelectedChannels() const
{
    std::vector<std::int32_t> channels;
    for (const int row : GetListView(IDC_LIST_CHANNELS)->GetSelectedRows())
        channels.push_back(row + 1);
    return channels;
}

void CFrequencyTableDlg::ShowBulkResult(const std::vector<std::int32_t>& selected)
{
    ShowRange(m_document.Mode());
    RefreshList();
    ListView* pList = GetListView(IDC_LIST_CHANNELS);
    pList->SetSelectedRows(RowsOf(selected));
    if (!selected.empty()) {
        pList->EnsureVisible(selected.front() - 1);
        ShowChannelNumber(selected.front());
    }
}

std::optional<std::vector<QString>> CFrequencyTableDlg::AskBulkValues(const QString& title,
                                                                      std::vector<ValueField> fields)
{
    ValuesRequest request;
    request.title = title;
    request.fields = std::move(fields);
    std::optional<std::vector<QString>> values = Services().AskValues(this, request);
    if (values && values->size() != request.fields.size())
        return std::nullopt;
    return values;
}

void CFrequencyTableDlg::ShowBulkMessage(const QString& text)
{
    Services().ShowMessage(this, text, MessageIcon::Exclamation);
}

void CFrequencyTableDlg::OnMoveUp()
{
    const auto held = m_document.HoldAnnouncements();
    const std::vector<std::int32_t> channels = SelectedChannels();
    if (!m_document.HasTable() || channels.empty())
        return;
    const std::vector<std::int32_t> moved = m_document.MoveUp(channels);
    if (!moved.empty())
        ShowBulkResult(moved);
}

void CFrequencyTableDlg::OnMoveDown()
{
    const auto held = m_document.HoldAnnouncements();
    const std::vector<std::int32_t> channels = SelectedChannels();
    if (!m_document.HasTable() || channels.empty())
        return;
    const std::vector<std::int32_t> moved = m_document.MoveDown(channels);
    if (!moved.empty())
        ShowBulkResult(moved);
}

void CFrequencyTableDlg::OnMoveToChannel()
{
    const std::vector<std::int32_t> channels = SelectedChannels();
    if (!m_document.HasTable() || channels.empty())
        return;
    const std::optional<std::vector<QString>> values =
        AskBulkValues(QString::fromLatin1(BulkEditName::kMoveToChannel),
                      {ValueField{QStringLiteral("&Channel:"), QString::number(channels.front())}});
    if (!values)
        return;
    const auto highest = m_document.CurrentCount() - static_cast<std::int32_t>(channels.size()) + 1;
    const std::optional<std::int32_t> target = ReadWholeNumber((*values)[0]);
    if (!target || *target < 1 || *target > highest) {
        ShowBulkMessage(QStringLiteral("The channel must be a whole number from 1 to %1.").arg(highest));
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    const std::vector<std::int32_t> moved = m_document.MoveToChannel(channels, *target);
    if (!moved.empty())
        ShowBulkResult(moved);
}

void CFrequencyTableDlg::OnOffsetFrequencies()
{
    const std::vector<std::int32_t> channels = SelectedChannels();
    if (!m_document.HasTable() || channels.empty())
        return;
    const std::optional<std::vector<QString>> values =
        AskBulkValues(QString::fromLatin1(BulkEditName::kOffsetFrequencies),
                      {ValueField{QStringLiteral("&Offset (MHz):"), QString()}});
    if (!values)
        return;
    const std::optional<double> offset = ReadMegahertz((*values)[0]);
    if (!offset) {
        ShowBulkMessage(QStringLiteral("The offset must be a number of MHz, such as +0.25 or -1."));
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    if (m_document.OffsetFrequencies(channels, *offset))
        ShowBulkResult(channels);
}

void CFrequencyTableDlg::OnRoundFrequencies()
{
    const std::vector<std::int32_t> channels = SelectedChannels();
    if (!m_document.HasTable() || channels.empty())
        return;
    const std::optional<std::vector<QString>> values =
        AskBulkValues(QString::fromLatin1(BulkEditName::kRoundFrequencies),
                      {ValueField{QStringLiteral("&To a step of (kHz: 1, 50 or 250):"), QStringLiteral("1")}});
    if (!values)
        return;
    const QString step = (*values)[0].trimmed();
    std::optional<FrequencyStep> rasterStep;
    for (const FrequencyStep candidate :
         {FrequencyStep::Kilohertz1, FrequencyStep::Kilohertz50, FrequencyStep::Kilohertz250}) {
        if (step == QString::number(static_cast<int>(candidate)))
            rasterStep = candidate;
    }
    if (!rasterStep) {
        ShowBulkMessage(QStringLiteral("The step is 1, 50 or 250 kHz."));
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    if (m_document.RoundFrequencies(channels, *rasterStep))
        ShowBulkResult(channels);
}

void CFrequencyTableDlg::OnClearToEmptySlot()
{
    const auto held = m_document.HoldAnnouncements();
    const std::vector<std::int32_t> channels = SelectedChannels();
    if (m_document.HasTable() && !channels.empty() && m_document.ClearToEmptySlot(channels))
        ShowBulkResult(channels);
}

void CFrequencyTableDlg::OnSortSelection()
{
    const auto held = m_document.HoldAnnouncements();
    const std::vector<std::int32_t> channels = SelectedChannels();
    if (m_document.HasTable() && !channels.empty() && m_document.SortByFrequency(channels))
        ShowBulkResult(channels);
}

void CFrequencyTableDlg::OnFillRaster()
{
    if (!m_document.HasTable())
        return;
    const std::vector<std::int32_t> selected = SelectedChannels();
    // Before the first selected channel, or after the last of the list.
    const QString atTheEnd = QString::fromLatin1(FillRasterPlace(0).c_str());
    QStringList places;
    if (!selected.empty())
        places << QString::fromLatin1(FillRasterPlace(selected.front()).c_str());
    places << atTheEnd;
    const std::optional<std::vector<QString>> values = AskBulkValues(
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
        ShowBulkMessage(QStringLiteral("The start and the step must be numbers of MHz, such as 112.25 and 8."));
        return;
    }
    const auto room = ChannelTable::kMaxChannels - m_document.CurrentCount();
    const std::optional<std::int32_t> count = ReadWholeNumber((*values)[2]);
    if (!count || *count < 1 || *count > room) {
        ShowBulkMessage(
            room < 1
                ? QStringLiteral("The list already holds %1 channels, the most it may hold.")
                      .arg(ChannelTable::kMaxChannels)
                : QStringLiteral("The count must be a whole number from 1 to %1: a list holds at most %2 channels.")
                      .arg(room)
                      .arg(ChannelTable::kMaxChannels));
        return;
    }
    const auto held = m_document.HoldAnnouncements();
    const std::vector<std::int32_t> added = m_document.FillRaster(channels, *start, *stepMHz, *count);
    if (!added.empty())
        ShowBulkResult(added);
}
