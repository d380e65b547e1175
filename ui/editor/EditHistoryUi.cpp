#include "ui/editor/EditHistoryUi.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>

#include "edit/RecoveryStore.h"
#include "res/resource.h"

std::vector<RecoveryCopy> RestorableCopies(const std::string& extension, const std::string& ownPath)
{
    std::vector<RecoveryCopy> copies = ListRecoveryCopies(extension);
    const std::string ownName = QFileInfo(QFile::decodeName(ownPath.c_str())).fileName().toStdString();
    copies.erase(std::remove_if(copies.begin(), copies.end(),
                                [&ownName](const RecoveryCopy& copy) { return copy.name == ownName || copy.bLive; }),
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
