#include "ui/editor/RecoveryCopiesList.h"

#include <utility>

#include <QChar>
#include <QDateTime>

#include "platform/Printable.h"

namespace {

constexpr int kMaxShownNameLength = 48;

QString FormattedFrequency(double dbFrequency, const char* pszFormat)
{
    // A copy may hold any bytes: what is no number, or no sensible one, is shown as such.
    if (!(dbFrequency > 0.0))
        return QStringLiteral("--");
    if (!(dbFrequency < 1e9))
        return QStringLiteral("out of range");
    return QString::asprintf(pszFormat, dbFrequency);
}

QString Code(std::int32_t value)
{
    return QString::asprintf("%02X", static_cast<unsigned>(value));
}

RecoveryPreviewTable ChannelPreview(const RecoveryPreview& preview)
{
    RecoveryPreviewTable table;
    table.columns = {QStringLiteral("List"), QStringLiteral("CH No."), QStringLiteral("Frequency(MHz)")};
    for (const RecoveryChannelRow& row : preview.channels)
        table.rows.push_back({row.bCable ? QStringLiteral("Cable") : QStringLiteral("Antenna"),
                              QString::asprintf("%03u", row.iChannel), FormattedFrequency(row.dbFrequency, "%.5f")});
    return table;
}

RecoveryPreviewTable TunerPreview(const RecoveryPreview& preview)
{
    RecoveryPreviewTable table;
    table.columns = {QStringLiteral("Factory"),         QStringLiteral("Tuner Type"),
                     QStringLiteral("Low Band (MHz)"),  QStringLiteral("Mid Band (MHz)"),
                     QStringLiteral("High Band (MHz)"), QStringLiteral("High End (MHz)")};
    for (const RecoveryTunerRow& row : preview.tuners)
        table.rows.push_back({Code(row.iFactory), Code(row.iTunerType), FormattedFrequency(row.dbLowBandStart, "%.2f"),
                              FormattedFrequency(row.dbMidBandStart, "%.2f"),
                              FormattedFrequency(row.dbHighBandStart, "%.2f"),
                              FormattedFrequency(row.dbHighBandEnd, "%.2f")});
    return table;
}

} // namespace

QString ShownSourceName(const RecoveryCopy& copy)
{
    if (copy.source == "new")
        return QStringLiteral("new table");
    if (copy.source.empty())
        return QStringLiteral("unknown file");
    const std::size_t slash = copy.source.rfind('/');
    QString name = QString::fromStdString(PrintableText(copy.source.substr(slash + 1)));
    if (name.size() > kMaxShownNameLength) {
        const int half = (kMaxShownNameLength - 1) / 2;
        name = name.left(half) + QChar(0x2026) + name.right(half);
    }
    return name;
}

QString ShownCopyTime(const RecoveryCopy& copy)
{
    return QDateTime::fromSecsSinceEpoch(copy.iTime).toString(QStringLiteral("yyyy-MM-dd hh:mm"));
}

QString ShownCopyCounts(const RecoveryCopy& copy, bool bChannelTables)
{
    if (copy.bDamaged)
        return QStringLiteral("damaged copy");
    if (bChannelTables)
        return QStringLiteral("%1 antenna and %2 cable channels").arg(copy.iFirstCount).arg(copy.iSecondCount);
    return copy.iFirstCount == 1 ? QStringLiteral("1 tuner entry")
                                 : QStringLiteral("%1 tuner entries").arg(copy.iFirstCount);
}

QString ShownCopy(const RecoveryCopy& copy, bool bChannelTables)
{
    return ShownSourceName(copy) + QStringLiteral(", ") + ShownCopyTime(copy) + QStringLiteral(", ") +
           ShownCopyCounts(copy, bChannelTables);
}

QString RecoveryListRow::Text() const
{
    return when + QStringLiteral(" - ") + source + QStringLiteral(" - ") +
           (bGone ? QStringLiteral("discarded") : counts);
}

RecoveryCopiesList::RecoveryCopiesList(const RecoveryCopyActions& actions, std::vector<RecoveryCopy> copies)
    : m_actions(actions), m_copies(std::move(copies)), m_gone(m_copies.size(), false)
{
}

RecoveryListRow RecoveryCopiesList::Row(std::size_t index) const
{
    const RecoveryCopy& copy = m_copies.at(index);
    RecoveryListRow row;
    row.when = ShownCopyTime(copy);
    row.source = ShownSourceName(copy);
    row.counts = ShownCopyCounts(copy, m_actions.bChannelTables);
    row.bGone = m_gone[index];
    row.bRestorable = !copy.bDamaged && !row.bGone;
    return row;
}

RecoveryPreviewTable RecoveryCopiesList::Preview(std::size_t index) const
{
    const RecoveryCopy& copy = m_copies.at(index);
    if (m_gone[index])
        return RecoveryPreviewTable{{}, {}, QStringLiteral("This copy was discarded.")};
    if (copy.bDamaged)
        return RecoveryPreviewTable{{},
                                    {},
                                    QStringLiteral("This copy is damaged: it holds no whole table and "
                                                   "cannot be restored.")};
    const RecoveryPreview preview =
        ReadRecoveryPreview(copy.name, m_actions.bChannelTables ? TableKind::Channel : TableKind::Tuner);
    if (!preview.bWhole)
        return RecoveryPreviewTable{{}, {}, QStringLiteral("This copy cannot be read any more.")};
    return m_actions.bChannelTables ? ChannelPreview(preview) : TunerPreview(preview);
}

bool RecoveryCopiesList::Restore(std::size_t index)
{
    if (index >= m_copies.size() || m_gone[index] || m_copies[index].bDamaged)
        return false;
    return m_actions.restore(m_copies[index]);
}

void RecoveryCopiesList::Discard(std::size_t index)
{
    if (index >= m_copies.size() || m_gone[index])
        return;
    m_actions.discard({m_copies[index]});
    m_gone[index] = true;
}
