#pragma once
// What both editors put around their controls and keep following their
// document: the status line (the file, the list as each editor words it, the
// check's summary), the offer of the copies earlier runs left, the bar that
// tells of the file changed on disk, and files dropped onto the window.

#include <functional>
#include <optional>
#include <utility>

#include <QString>

#include "edit/DocumentHistory.h"
#include "ui/dialog/CDialog.h"
#include "ui/dialog/FileDrop.h"
#include "ui/editor/DiskChangeBar.h"
#include "ui/editor/DocumentRecovery.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"

struct EditorDocumentViews
{
    EditorStatusLine* pStatusLine = nullptr;
    DiskChangeBar* pDiskChangeBar = nullptr;
    // The status line shown again, for a change the document does not
    // announce (another tuner chosen).
    std::function<void()> showStatus;
};

// listText words the list of a document with a table, or gives nothing to
// leave the text shown; reload opens the file again, for the disk's bar.
template <class Document>
EditorDocumentViews
AddEditorDocumentViews(CDialog& editor, TableKind kind, Document& document, DocumentRecovery<Document>& recovery,
                       std::function<std::optional<QString>()> listText, std::function<void(const QString&)> reload)
{
    EditorDocumentViews views;
    EditorStatusLine* pStatusLine = AddStatusLine(editor, kind);
    views.pStatusLine = pStatusLine;
    views.showStatus = [pStatusLine, &document, listText = std::move(listText)] {
        ShowFileAndCheck(*pStatusLine, document);
        if (!document.HasTable())
            pStatusLine->ShowList(QString());
        else if (const std::optional<QString> text = listText())
            pStatusLine->ShowList(*text);
    };
    // The status line follows the document, as every view does.
    document.Subscribe([show = views.showStatus](const DocumentNews& news) {
        if (news.change != DocumentChange::AboutToReplace)
            show();
    });
    views.showStatus();
    recovery.SetStatusLine(pStatusLine);
    // Unsaved work an earlier run left is offered once the frame is built.
    recovery.OfferKeptCopies(editor);
    DiskChangeBar* pDiskChangeBar =
        new DiskChangeBar([&document]() -> const TiedFile& { return document.SaveFile(); }, std::move(reload), &editor);
    views.pDiskChangeBar = pDiskChangeBar;
    document.Subscribe([pDiskChangeBar](const DocumentNews& news) {
        if (news.change == DocumentChange::Edited || news.change == DocumentChange::Replaced)
            pDiskChangeBar->Follow();
    });
    EditorFrame::Of(editor)->AddTopBar(pDiskChangeBar);
    new FileDropTarget(editor, editor.Services());
    return views;
}
