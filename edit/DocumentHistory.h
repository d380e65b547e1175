#pragma once
// What both editors' documents share: the steps of their history, the scopes
// that make one step of a command however many changes it makes, whether the
// table is the one on disk, and the announcements of every change to any
// number of listeners (the view, the recovery copy, the findings, ...).
//
// A step holds changes of the table only: undoing one puts the table back,
// and every listener shows again what the document then holds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "edit/UndoHistory.h"

enum class DocumentChange
{
    Edited,         // the table changed: a step, undo, redo, a save, a reset
    AboutToReplace, // a load or a fresh table is about to drop the table
    Replaced,       // ... and did: what follows is another table
    Shown,          // only the list shown or the edit and menu targets changed
};

// Where one list of the table changed: iRemoved rows from iStart gave way to
// iInserted rows (0-based; iList as the table numbers its lists).
struct ListTouch
{
    std::int32_t iList = 0;
    std::int32_t iStart = 0;
    std::int32_t iRemoved = 0;
    std::int32_t iInserted = 0;
    bool operator==(const ListTouch& other) const
    {
        return iList == other.iList && iStart == other.iStart && iRemoved == other.iRemoved &&
               iInserted == other.iInserted;
    }
};

// An announcement: its kind, and for Edited what changed since the last
// Edited, so that a view derives only what it shows of that. A save or a
// refused command changes nothing of the table (ChangedTable() is false).
struct DocumentNews
{
    // More changes than a view would rather follow one by one than read anew.
    static constexpr std::size_t kMostTouches = 4096;

    DocumentChange change = DocumentChange::Edited;
    // The lists' changes in the order made, undo's as it made them, while
    // bAllLists is false.
    std::vector<ListTouch> touches;
    // Every list is to be read anew: another table came into place, or more
    // changed than kMostTouches tell.
    bool bAllLists = false;
    // The table's header or origin changed, or whether there is a table.
    bool bHeaderChanged = false;

    bool ChangedTable() const { return bAllLists || bHeaderChanged || !touches.empty(); }
    bool ChangedList(std::int32_t iList) const
    {
        return bAllLists || std::any_of(touches.begin(), touches.end(),
                                        [iList](const ListTouch& touch) { return touch.iList == iList; });
    }
    void Touch(const ListTouch& touch)
    {
        if (bAllLists)
            return;
        if (touches.size() == kMostTouches) {
            ReadAllLists();
            return;
        }
        touches.push_back(touch);
    }
    void ReadAllLists()
    {
        bAllLists = true;
        touches = {};
    }
};

// Listeners of one document. A listener may subscribe or unsubscribe others,
// itself included, while it is told; one unsubscribed then is not told.
class DocumentListeners
{
public:
    using Listener = std::function<void(const DocumentNews&)>;

    int Subscribe(Listener listener)
    {
        m_listeners.push_back(Entry{++m_iLastId, std::move(listener)});
        return m_iLastId;
    }
    void Unsubscribe(int id)
    {
        for (Entry& entry : m_listeners)
            if (entry.id == id)
                entry.listener = nullptr;
    }
    void Tell(const DocumentNews& change)
    {
        // By position, as listeners subscribed while telling are told next time.
        const std::size_t count = m_listeners.size();
        for (std::size_t i = 0; i < count; ++i) {
            const Listener listener = m_listeners[i].listener;
            if (listener)
                listener(change);
        }
        m_listeners.erase(
            std::remove_if(m_listeners.begin(), m_listeners.end(), [](const Entry& entry) { return !entry.listener; }),
            m_listeners.end());
    }

private:
    struct Entry
    {
        int id;
        Listener listener;
    };
    std::vector<Entry> m_listeners;
    int m_iLastId = 0;
};

// Calls End on its owner when it goes out of scope; moved, only the last
// holder ends it.
template <class Owner, void (Owner::*End)()> class ScopeEnd
{
public:
    explicit ScopeEnd(Owner& owner) : m_pOwner(&owner) {}
    ScopeEnd(ScopeEnd&& other) noexcept : m_pOwner(std::exchange(other.m_pOwner, nullptr)) {}
    ScopeEnd(const ScopeEnd&) = delete;
    ScopeEnd& operator=(const ScopeEnd&) = delete;
    ScopeEnd& operator=(ScopeEnd&&) = delete;
    ~ScopeEnd()
    {
        if (m_pOwner)
            (m_pOwner->*End)();
    }

private:
    Owner* m_pOwner;
};

// Ends a scope of the document that began it.
class StepScopeOwner
{
public:
    virtual void EndStep() = 0;

protected:
    ~StepScopeOwner() = default;
};

// Ends a hold of a document's announcements.
class AnnouncementHolder
{
public:
    virtual void ReleaseAnnouncements() = 0;

protected:
    ~AnnouncementHolder() = default;
};

// The history of a document whose steps are Step (with name and Bytes()).
template <class Step> class DocumentHistory : public StepScopeOwner, private AnnouncementHolder
{
public:
    // Every change made while a scope is open is one step, named after the
    // command; scopes nest, the outermost one makes the step.
    using Change = DocumentChange;

    // While a hold lives, the listeners are not told of edits or of what is
    // shown; when the last hold ends they are told once, of all of it. A
    // view holds them around a command and what it then shows, so that every
    // view derives once from the finished whole. A load's AboutToReplace and
    // Replaced are told when they happen, as the old table is still there.
    using AnnouncementHold = ScopeEnd<AnnouncementHolder, &AnnouncementHolder::ReleaseAnnouncements>;
    [[nodiscard]] AnnouncementHold HoldAnnouncements()
    {
        ++m_iHolds;
        return AnnouncementHold(*this);
    }

    using StepScope = ScopeEnd<StepScopeOwner, &StepScopeOwner::EndStep>;

    DocumentHistory(const DocumentHistory&) = delete;
    DocumentHistory& operator=(const DocumentHistory&) = delete;

    // Each puts the table back as the step found it (undo) or left it (redo)
    // and tells the listeners; false when there is nothing to do, a step is
    // open or memory ran out (the table then stays as it was).
    bool Undo() { return ApplyHistoryStep(false); }
    bool Redo() { return ApplyHistoryStep(true); }

    bool CanUndo() const { return m_iStepDepth == 0 && m_history.ToUndo() != nullptr; }
    bool CanRedo() const { return m_iStepDepth == 0 && m_history.ToRedo() != nullptr; }
    std::string UndoName() const { return CanUndo() ? m_history.ToUndo()->name : std::string(); }
    std::string RedoName() const { return CanRedo() ? m_history.ToRedo()->name : std::string(); }
    std::size_t UndoCount() const { return m_history.UndoCount(); }
    std::size_t RedoCount() const { return m_history.RedoCount(); }
    std::size_t HistoryBytes() const { return m_history.Bytes(); }
    // Counts every change of the table (steps, undo, redo, saves).
    std::uint64_t ChangeCount() const { return m_changeCount; }

    // Listeners are told of every change after it is complete; AboutToReplace
    // while the old table is still there.
    int Subscribe(DocumentListeners::Listener listener) { return m_listeners.Subscribe(std::move(listener)); }
    void Unsubscribe(int id) { m_listeners.Unsubscribe(id); }

protected:
    DocumentHistory() = default;
    ~DocumentHistory() = default;

    // What the step being made does to "saved": a load or a fresh table is
    // what is on disk, a restored copy never is.
    enum class SavedMark
    {
        Unchanged,
        Saved,
        Unsaved,
    };

    // A scope ends: the document's own work for it (a command's scope takes
    // its changes), then, for the outermost one, the step it makes, if any.
    void EndStep() final
    {
        ScopeEnding();
        if (!CloseScope())
            return;
        std::optional<Step> step = MakeStep();
        FinishStep(step ? &*step : nullptr);
    }
    virtual void ScopeEnding() {}
    // The step the finished command makes; none when it changed nothing.
    virtual std::optional<Step> MakeStep() = 0;

    // The document's part of undo and redo: the table changed as the step
    // says, then whatever follows from that in the document.
    virtual bool ApplyStep(Step& step, bool bForward) = 0;
    virtual void StepApplied(const Step& step) = 0;

    // True for the outermost scope, which records the state the step begins from.
    bool OpenScope() { return m_iStepDepth++ == 0; }
    // True when the outermost scope closes.
    bool CloseScope() { return --m_iStepDepth == 0; }
    // Whether the step being finished put another table in place; asked once.
    bool TakeStepReplacesTable() { return std::exchange(m_bStepReplacesTable, false); }
    bool InScope() const { return m_iStepDepth > 0; }

    // The outermost scope ends: the step (when the command changed anything)
    // goes into the history, "saved" is settled, and the listeners are told.
    void FinishStep(Step* pStep)
    {
        if (pStep) {
            NoteStep(*pStep, true);
            m_history.Push(std::move(*pStep));
        }
        if (m_savedMark == SavedMark::Saved)
            m_history.MarkSaved();
        else if (m_savedMark == SavedMark::Unsaved)
            m_history.ForgetSaved();
        m_savedMark = SavedMark::Unchanged;
        if (pStep)
            Announce(DocumentChange::Edited);
        else if (m_bShownChanged)
            Announce(DocumentChange::Shown);
        m_bShownChanged = false;
    }
    void MarkStepSaved() { m_savedMark = SavedMark::Saved; }
    // The table was just written to its file: the state now is the saved one.
    void Written()
    {
        m_history.MarkSaved();
        Announce(DocumentChange::Edited);
    }
    void MarkStepUnsaved() { m_savedMark = SavedMark::Unsaved; }
    // A table came or went outside any step (a reset): the next Edited tells
    // the views to read every list and the header anew.
    void NoteAllListsAnew()
    {
        m_news.ReadAllLists();
        m_news.bHeaderChanged = true;
    }

    // The list shown or a target changed: told now, or at the end of the step.
    void ShownChanged()
    {
        if (InScope() || m_bApplyingStep)
            m_bShownChanged = true;
        else
            Announce(DocumentChange::Shown);
    }
    void Announce(DocumentChange change)
    {
        if (change == DocumentChange::Replaced) {
            m_news.ReadAllLists();
            if (InScope())
                m_bStepReplacesTable = true;
        }
        if (change == DocumentChange::Edited) {
            ++m_changeCount;
            m_bShownChanged = false;
        }
        if (m_iHolds > 0 && (change == DocumentChange::Edited || change == DocumentChange::Shown)) {
            m_bEditHeld = m_bEditHeld || change == DocumentChange::Edited;
            m_bShownHeld = true;
            return;
        }
        Tell(change);
    }

    UndoHistory<Step> m_history;

private:
    bool ApplyHistoryStep(bool bForward)
    {
        if (bForward ? !CanRedo() : !CanUndo())
            return false;
        Step& step = bForward ? *m_history.ToRedo() : *m_history.ToUndo();
        if (!ApplyStep(step, bForward))
            return false;
        if (bForward)
            m_history.MovedForward();
        else
            m_history.MovedBack();
        NoteStep(step, bForward);
        // What follows in the document is told with the step, once.
        m_bApplyingStep = true;
        StepApplied(step);
        m_bApplyingStep = false;
        Announce(DocumentChange::Edited);
        return true;
    }

    // What a step did, or an undo or redo did again, gathered for the next Edited.
    void NoteStep(const Step& step, bool bForward)
    {
        if (!(step.before == step.after))
            m_news.bHeaderChanged = true;
        // The positions of a step that put another table in place belong to
        // two tables; the views read the new one anew.
        if (step.changes.ExchangesTable()) {
            m_news.ReadAllLists();
            return;
        }
        const auto& splices = step.changes.Splices();
        const auto touch = [this](const auto& splice, std::size_t removed, std::size_t inserted) {
            m_news.Touch(ListTouch{splice.iList, splice.iStart, static_cast<std::int32_t>(removed),
                                   static_cast<std::int32_t>(inserted)});
        };
        if (bForward) {
            for (const auto& splice : splices)
                touch(splice, splice.removed.size(), splice.inserted.size());
        } else {
            for (auto it = splices.rbegin(); it != splices.rend(); ++it)
                touch(*it, it->inserted.size(), it->removed.size());
        }
    }
    void Tell(DocumentChange change)
    {
        if (change != DocumentChange::Edited) {
            DocumentNews news;
            news.change = change;
            m_listeners.Tell(news);
            return;
        }
        const DocumentNews news = std::exchange(m_news, DocumentNews());
        m_listeners.Tell(news);
    }
    void ReleaseAnnouncements() final
    {
        if (--m_iHolds > 0)
            return;
        if (std::exchange(m_bEditHeld, false))
            Tell(DocumentChange::Edited);
        else if (m_bShownHeld)
            Tell(DocumentChange::Shown);
        m_bShownHeld = false;
    }

    std::int32_t m_iStepDepth = 0;
    std::int32_t m_iHolds = 0;
    bool m_bEditHeld = false;
    bool m_bShownHeld = false;
    DocumentNews m_news;
    SavedMark m_savedMark = SavedMark::Unchanged;
    bool m_bShownChanged = false;
    bool m_bStepReplacesTable = false;
    bool m_bApplyingStep = false;
    std::uint64_t m_changeCount = 0;
    DocumentListeners m_listeners;
};
