#pragma once
// The recovery copy of an editor's document: while the table has unsaved
// changes a copy of it is written about a second after the last change, kept
// when the editor is left or the table replaced, and removed once the table is
// saved or back at its saved state. Both editors keep theirs through this.

#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QTimer>

#include "EditHistoryUi.h"
#include "RecoveryStore.h"

template <class Document> class DocumentRecovery
{
public:
    static constexpr int kDelayMs = 1000;

    // extension: "ccf" or "tsf"; the timer belongs to the owner's widget.
    DocumentRecovery(QObject* pOwner, Document& document, const char* extension)
        : m_document(document), m_extension(extension), m_writer(extension), m_pTimer(new QTimer(pOwner))
    {
        m_pTimer->setSingleShot(true);
        m_pTimer->setInterval(kDelayMs);
        QObject::connect(m_pTimer, &QTimer::timeout, pOwner, [this] { Write(); });
        m_document.SetChangeListener([this](typename Document::Change change) { OnChanged(change); });
    }
    DocumentRecovery(const DocumentRecovery&) = delete;
    DocumentRecovery& operator=(const DocumentRecovery&) = delete;

    // Leaving the editor drops the table, never its copy: the last change is
    // written now and nothing later removes it.
    void Keep()
    {
        m_document.SetChangeListener(nullptr);
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

private:
    void OnChanged(typename Document::Change change)
    {
        switch (change) {
        case Document::Change::Edited: m_pTimer->start(); break;
        // The table being dropped keeps its copy, up to its last change.
        case Document::Change::AboutToReplace: WritePending(); break;
        case Document::Change::Replaced: m_writer.StartNewCopy(); break;
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
        if (m_document.Modified())
            m_writer.Write(m_document.Table()->FileImage(), m_document.Source().empty() ? "new" : m_document.Source());
        else
            m_writer.Remove();
    }

    Document& m_document;
    std::string m_extension;
    RecoveryWriter m_writer;
    QTimer* m_pTimer;
};
