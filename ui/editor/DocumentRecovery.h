#pragma once
// The recovery copy of an editor's document: while the table has unsaved
// changes a copy of it is written about a second after the last change, kept
// when the editor is left or the table replaced, and removed once the table is
// saved or back at its saved state. Both editors keep theirs through this.
// It also offers, in a bar at the top of the editor, the copies earlier runs
// left, and restores or discards them.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QFile>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include "edit/DocumentHistory.h"
#include "edit/RecoveryStore.h"
#include "ui/app/UserServices.h"
#include "ui/dialog/CDialog.h"
#include "ui/dialog/FileMessages.h"
#include "ui/editor/EditHistoryUi.h"
#include "ui/editor/EditorFrame.h"
#include "ui/editor/EditorStatusLine.h"
#include "ui/editor/RecoveryBar.h"
#include "ui/editor/RecoveryCopiesList.h"

template <class Document> class DocumentRecovery
{
public:
    static constexpr int kDelayMs = 1000;

    // extension: "ccf" or "tsf"; the timer belongs to the owner's widget.
    // Why a copy could not be written is shown to the person in a note, on
    // the interface thread, once for each new reason, so that they know the
    // work is not safe yet; nothing waits for an answer.
    DocumentRecovery(QWidget* pOwner, UserServices& services, Document& document, const char* extension)
        : m_pOwner(pOwner), m_services(services), m_document(document), m_extension(extension), m_writer(extension),
          m_pTimer(new QTimer(pOwner))
    {
        m_pTimer->setSingleShot(true);
        m_pTimer->setInterval(kDelayMs);
        QObject::connect(m_pTimer, &QTimer::timeout, pOwner, [this] { Write(); });
        m_iListener = m_document.Subscribe([this](const DocumentNews& news) { OnChanged(news.change); });
        // The writer's thread hands the problem to the interface thread; a
        // problem told after the editor is gone is dropped with its timer.
        QTimer* pContext = m_pTimer;
        m_writer.SetProblemListener([this, pContext](const std::string& problem) {
            if (problem.empty())
                return;
            const QString text = QString::fromStdString(problem);
            QMetaObject::invokeMethod(
                pContext,
                [this, text] {
                    m_services.ShowNote(m_pOwner, text);
                    if (m_pStatusLine)
                        m_pStatusLine->ShowNote(RecoveryProblemNote(text));
                },
                Qt::QueuedConnection);
        });
        m_actions.bChannelTables = m_extension == "ccf";
        m_actions.list = [this] { return RestorableCopies(); };
        m_actions.restore = [this](const RecoveryCopy& copy) { return RestoreCopy(copy); };
        m_actions.discard = [this](const std::vector<RecoveryCopy>& copies) { DiscardCopies(copies); };
        // What a restore or a discard did goes to the status line, once the
        // editor has one.
        m_note = [this](const QString& text) {
            if (m_pStatusLine)
                m_pStatusLine->ShowNote(text);
            else
                m_services.ShowNote(m_pOwner, text);
        };
    }
    DocumentRecovery(const DocumentRecovery&) = delete;
    DocumentRecovery& operator=(const DocumentRecovery&) = delete;

    // The editor's status line, which also shows each problem as a note, and
    // what each restore and discard did.
    void SetStatusLine(EditorStatusLine* pStatusLine) { m_pStatusLine = pStatusLine; }

    // Leaving the editor drops the table, never its copy: the last change is
    // written now and nothing later removes it.
    void Keep()
    {
        m_document.Unsubscribe(m_iListener);
        WritePending();
        m_writer.Flush();
    }

    // The copies another editor left, not this one's own.
    std::vector<RecoveryCopy> RestorableCopies() const
    {
        return ::RestorableCopies(m_extension, m_writer.CurrentPath());
    }
    // Whether there is any, without reading the copies.
    bool AnyRestorableCopy() const { return AnyRecoveryCopy(m_extension, m_writer.CurrentPath()); }
    // "Restore Unsaved Table..." for a row menu, when there is a copy to restore.
    void AppendRestoreItem(std::vector<MenuItem>& items) const { AppendRestoreMenuItem(items, AnyRestorableCopy()); }

    // Offers the copies earlier runs left in a bar at the top of the editor,
    // once its frame is built; the editor opens as always, with no question.
    void OfferKeptCopies(CDialog& editor)
    {
        m_pBar = new RecoveryBar(
            m_actions, [this] { RestoreChosenCopy(); }, &editor);
        EditorFrame::Of(editor)->AddTopBar(m_pBar);
        m_pBar->Offer(RestorableCopies());
    }
    // Where restoring and discarding say what they did; a note by default.
    void SetNoteHook(std::function<void(const QString&)> note) { m_note = std::move(note); }

    // "Restore Unsaved Table..." and the bar's "Show All...": the person sees
    // every copy with its first rows, and restores or discards copies.
    void RestoreChosenCopy()
    {
        RecoveryCopiesList list(m_actions, RestorableCopies());
        m_services.ShowRecoveryCopies(m_pOwner, list);
        if (m_pBar)
            m_pBar->Refresh();
    }

    // The copy comes back into the document as one step; the views follow
    // the document. A copy that cannot be read is refused with its reason.
    bool RestoreCopy(const RecoveryCopy& copy)
    {
        const auto held = m_document.HoldAnnouncements();
        // The copy is read, and then removed, under the folder as it is
        // checked now, with no writer pruning it meanwhile. The table is back
        // in the editor, unsaved: its copy is this editor's now.
        const TableKind kind = m_extension == "ccf" ? TableKind::Channel : TableKind::Tuner;
        FileError error;
        const auto read = [this](const std::string& path, const RestoreOrigin& origin, FileError& readError) {
            return m_document.Restore(path, origin, readError);
        };
        if (!RestoreRecoveryCopy(copy.name, kind, read, error)) {
            ShowFileError(m_services, m_pOwner, FileAction::Load, QFile::decodeName(copy.path.c_str()), error);
            return false;
        }
        m_note(QStringLiteral("Restored unsaved work: ") + ShownCopy(copy, m_actions.bChannelTables) +
               QStringLiteral("."));
        return true;
    }

    // The person chose to drop these copies: no question, and never this
    // editor's own.
    void DiscardCopies(const std::vector<RecoveryCopy>& copies)
    {
        std::vector<std::string> names;
        for (const RecoveryCopy& copy : copies)
            names.push_back(copy.name);
        const std::size_t removed = DiscardRecoveryCopies(names, m_extension, m_writer.CurrentPath());
        if (removed == 0)
            return;
        m_note(removed == 1 && copies.size() == 1
                   ? QStringLiteral("Discarded unsaved work: ") + ShownCopy(copies.front(), m_actions.bChannelTables) +
                         QStringLiteral(".")
                   : QStringLiteral("Discarded %1 unsaved tables.").arg(removed));
    }

private:
    void OnChanged(DocumentChange change)
    {
        switch (change) {
        case DocumentChange::Edited: m_pTimer->start(); break;
        // The table being dropped keeps its copy, up to its last change.
        case DocumentChange::AboutToReplace: WritePending(); break;
        case DocumentChange::Replaced: m_writer.StartNewCopy(); break;
        case DocumentChange::Shown: break;
        }
    }

    void WritePending()
    {
        if (m_pTimer->isActive()) {
            m_pTimer->stop();
            Write();
        }
    }

    void Write()
    {
        // The image is taken here, the writing is done by the writer's thread.
        // The copy records the file "Save" writes to, as the table last
        // read or wrote it, so that a restore goes back only to that file.
        if (m_document.Modified()) {
            const TiedFile& file = m_document.SaveFile();
            m_writer.Write(m_document.Table()->FileImage(), RecoverySource{file.Canonical(), file.Identity()});
        } else
            m_writer.Remove();
    }

    QWidget* m_pOwner;
    UserServices& m_services;
    Document& m_document;
    int m_iListener = 0;
    std::string m_extension;
    RecoveryWriter m_writer;
    QTimer* m_pTimer;
    RecoveryCopyActions m_actions;
    RecoveryBar* m_pBar = nullptr; // a child of the editor
    std::function<void(const QString&)> m_note;
    EditorStatusLine* m_pStatusLine = nullptr; // a child of the editor
};
