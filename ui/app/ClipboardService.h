#pragma once
// The clipboard the editors copy rows to and paste values from. The editors
// reach it through their UserServices, so that a test may put a clipboard of
// its own in its place; the desktop's is Qt's (QGuiApplication::clipboard()).

#include <QByteArray>
#include <QString>

// The media type under which Copy also offers its rows as CSV.
inline constexpr const char* kCsvMimeType = "text/csv";

class ClipboardService
{
public:
    virtual ~ClipboardService() = default;
    // The clipboard holds these rows from now on, as plain text and as CSV.
    virtual void PutRows(const QString& plainText, const QByteArray& csv) = 0;
    // The clipboard's plain text, else its CSV as text; empty when it holds neither.
    virtual QString Text() const = 0;
    // Whether the program that owns the clipboard answers within
    // kAnswerLimitMs: one that is stopped or hung would hold Text() up for
    // many seconds, with the window frozen.
    virtual bool Answers() const { return true; }

    static constexpr int kAnswerLimitMs = 1000;
};

class DesktopClipboard final : public ClipboardService
{
public:
    void PutRows(const QString& plainText, const QByteArray& csv) override;
    QString Text() const override;
    // On X, asks the owner which types it offers, on a connection of its own,
    // and waits at most kAnswerLimitMs; elsewhere, and when this program is
    // the owner, true.
    bool Answers() const override;
};
