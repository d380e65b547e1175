#pragma once
// The line below an editor's controls: the file its table saves to, the list
// shown, the table check's summary and a short note after a save, an export
// or a recovery event. The editor tells it what the document holds each time
// the document announces a change; the check runs on a worker thread from an
// image of the table, and a result for an older state of the document than
// the one shown is dropped.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QLabel>
#include <QWidget>

#include "edit/CheckSummary.h"

class CDialog;
class QPushButton;
class QTimer;

// A one-line label that shows its text elided in the middle when it does not fit.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* pParent = nullptr);
    void SetFullText(const QString& text);
    const QString& FullText() const { return m_fullText; }

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void Elide();
    QString m_fullText;
};

// The notes after a save and an export, naming the file written: "Saved de.ccf".
QString SavedNote(const QString& path);
QString ExportedNote(const QString& path);
// The note when a recovery copy could not be written.
QString RecoveryProblemNote(const QString& problem);

class EditorStatusLine : public QWidget
{
    Q_OBJECT

public:
    // How long a note stays when no other follows.
    static constexpr int kNoteMs = 8000;

    EditorStatusLine(TableKind kind, QWidget* pParent = nullptr);
    ~EditorStatusLine() override;

    // The file the table saves to, or "New table" for a table of no file;
    // nothing without a table (before the first, or once undo took it back).
    void ShowFile(bool bHasTable, const std::string& savePath);
    void ShowList(const QString& text);
    // The check of the table in this state: the image is taken (takeImage)
    // only when the table or its change count moved since the last call;
    // without a table (pTable nullptr) the summary is empty.
    void CheckTable(const void* pTable, std::uint64_t changeCount,
                    const std::function<std::shared_ptr<const std::vector<std::uint8_t>>()>& takeImage);
    // The tuner a channel table is judged against besides its own checks
    // (its bands, and its codes for the summary: "03:12"), or none. The
    // summary of the last check no longer counts; the next CheckTable checks
    // again, even when the table did not change.
    void JudgeAgainstTuner(std::optional<TunerBands> bands, const std::string& codes);
    // A note, until the next one or for kNoteMs.
    void ShowNote(const QString& text);

    // What it shows, for whoever drives it.
    QString FileText() const { return m_pFile->FullText(); }
    QString ListText() const;
    QString CheckText() const;
    QString NoteText() const;
    ElidedLabel* FileLabel() const { return m_pFile; }
    QPushButton* CheckButton() const { return m_pCheck; }
    QTimer* NoteTimer() const { return m_pNoteTimer; }
    CheckWorker& Worker() { return *m_pWorker; }
    // The state of the document the summary is for is the one shown.
    bool IsCheckCurrent() const { return m_shownVersion == m_version; }

signals:
    // The summary was activated (click, Enter, Space).
    void CheckActivated();
    // A note shows.
    void NoteShown(const QString& text);
    // A new summary shows (after each check whose counts differ).
    void CheckSummaryChanged(const QString& summary);

private:
    void ShowCounts(std::uint64_t version, const FindingCounts& counts);
    void SetCheckText(const QString& text);

    ElidedLabel* m_pFile;
    QLabel* m_pList;
    QPushButton* m_pCheck;
    QLabel* m_pNote;
    QTimer* m_pNoteTimer;
    // The state the last image was taken of, and its version.
    const void* m_pCheckedTable = nullptr;
    std::uint64_t m_checkedChangeCount = 0;
    std::uint64_t m_version = 0;
    std::uint64_t m_shownVersion = 0;
    std::optional<TunerBands> m_tuner;
    std::string m_tunerCodes;
    // Another tuner was chosen since the last image was taken.
    bool m_bTunerChanged = false;
    std::unique_ptr<CheckWorker> m_pWorker;
};

// Puts a status line below the editor's controls. Activating its summary is
// the editor's Table > Check Table: a click, or Enter on it as on any button
// of the dialog, which presses the command its name gives.
EditorStatusLine* AddStatusLine(CDialog& editor, TableKind kind);

// The file and the check summary of the document as it stands.
template <class Document> void ShowFileAndCheck(EditorStatusLine& line, const Document& document)
{
    line.ShowFile(document.HasTable(), document.SavePath());
    line.CheckTable(document.Table(), document.ChangeCount(), [&document] { return document.SharedFileImage(); });
}
