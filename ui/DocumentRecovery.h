#pragma once
// The recovery copy of an editor's document: while the table has unsaved
// changes a copy of it is written about a second after the last change, kept
// when the editor is left or the table replaced, and removed once the table is
// saved or back at its saved state. Both editors keep theirs through this.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QFile>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "DocumentHistory.h"
#include "EditHistoryUi.h"
#include "EditorStatusLine.h"
#include "FileMessages.h"
#include "RecoveryStore.h"
#include "UserServices.h"

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
        m_iListener = m_document.Subscribe([this](DocumentChange change) { OnChanged(change); });
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
    }
    DocumentRecovery(const DocumentRecovery&) = delete;
    DocumentRecovery& operator=(const DocumentRecovery&) = delete;

    // The editor's status line, which also shows each problem and each copy
    // restored as a note.
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

    // "Restore Unsaved Table...": the person chooses a copy, which comes back
    // into the document as one step; the views follow the document. A
    // damaged copy, or one that cannot be read, is refused with its reason.
    void RestoreChosenCopy()
    {
        UserServices& services = m_services;
        QWidget* pOwner = m_pOwner;
        const QPointer<EditorStatusLine> pStatusLine = m_pStatusLine;
        const std::vector<RecoveryCopy> copies = RestorableCopies();
        const RecoveryCopy* pCopy = ChooseRecoveryCopy(services, pOwner, copies, m_extension == "ccf");
        if (!pCopy)
            return;
        const typename Document::StepScope step = m_document.BeginStep({});
        // The copy is read, and then removed, under the folder as it is
        // checked now, with no writer pruning it meanwhile. The table is back
        // in the editor, unsaved: its copy is this editor's now.
        const TableKind kind = m_extension == "ccf" ? TableKind::Channel : TableKind::Tuner;
        FileError error;
        const auto read = [this](const std::string& path, const RestoreOrigin& origin, FileError& readError) {
            return m_document.Restore(path, origin, readError);
        };
        if (!RestoreRecoveryCopy(pCopy->name, kind, read, error))
            ShowFileError(services, pOwner, FileAction::Load, QFile::decodeName(pCopy->path.c_str()), error);
        else if (pStatusLine)
            pStatusLine->ShowNote(RestoredNote(pCopy->iTime));
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
    EditorStatusLine* m_pStatusLine = nullptr;
};
