#include "EditHistoryUi.h"

#include <algorithm>

#include <QCursor>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "Printable.h"
#include "RecoveryStore.h"
#include "resource.h"

std::vector<RecoveryCopy> RestorableCopies(const std::string& extension, const std::string& ownPath)
{
    std::vector<RecoveryCopy> copies = ListRecoveryCopies(extension);
    const std::string ownName = QFileInfo(QFile::decodeName(ownPath.c_str())).fileName().toStdString();
    copies.erase(std::remove_if(copies.begin(), copies.end(),
                                [&ownName](const RecoveryCopy& copy) { return copy.name == ownName; }),
                 copies.end());
    return copies;
}

void AppendRestoreMenuItem(std::vector<MenuItem>& items, bool bCopies)
{
    if (!bCopies)
        return;
    items.push_back(MenuItem{0, QString()});
    items.push_back(MenuItem{IDM_RESTORE_UNSAVED, QStringLiteral("Restore Unsaved Table...")});
}

namespace {

constexpr int kMaxShownNameLength = 48;

// The name of the copy's table as the menu shows it: the file's name in the
// printable form the tool uses, its middle left out when it is long.
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

} // namespace

const RecoveryCopy* ChooseRecoveryCopy(UserServices& services, QWidget* pOwner, const std::vector<RecoveryCopy>& copies,
                                       bool bChannelTables)
{
    std::vector<MenuItem> items;
    const std::size_t count = std::min<std::size_t>(copies.size(), IDM_RESTORE_COPY_LAST - IDM_RESTORE_COPY_FIRST + 1);
    for (std::size_t i = 0; i < count; ++i) {
        const RecoveryCopy& copy = copies[i];
        const QString when = QDateTime::fromSecsSinceEpoch(copy.iTime).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        const QString counts =
            copy.bDamaged ? QStringLiteral("damaged copy")
            : bChannelTables
                ? QStringLiteral("%1 antenna, %2 cable channels").arg(copy.iFirstCount).arg(copy.iSecondCount)
                : QStringLiteral("%1 tuners").arg(copy.iFirstCount);
        // A damaged copy is listed, so that the person knows of it, but cannot be chosen.
        items.push_back(MenuItem{IDM_RESTORE_COPY_FIRST + static_cast<int>(i),
                                 when + QStringLiteral(" - ") + ShownSourceName(copy) + QStringLiteral(" - ") + counts,
                                 !copy.bDamaged});
    }
    const int command = services.TrackPopupMenu(pOwner, items, QCursor::pos());
    if (command < IDM_RESTORE_COPY_FIRST || command >= IDM_RESTORE_COPY_FIRST + static_cast<int>(count))
        return nullptr;
    const RecoveryCopy& chosen = copies[static_cast<std::size_t>(command - IDM_RESTORE_COPY_FIRST)];
    return chosen.bDamaged ? nullptr : &chosen;
}
