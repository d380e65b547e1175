#pragma once
// Table > Coverage Matrix... of the channel table editor, as a part of its
// own: a tuner table chosen and read as Check Against Tuner reads one, and a
// window of the table being edited, the recent channel tables and the tables
// the person adds against each of its tuners. Activating a cell opens that
// table in the editor and checks it against that tuner as Check Against
// Tuner does; Export... writes the matrix as CSV (the tool's) or SVG.

#include <cstddef>
#include <functional>
#include <optional>

#include <QObject>
#include <QPointer>
#include <QString>

#include "edit/TunerChoice.h"

class ChannelTableDocument;
class ChannelTunerCheck;
class CoverageMatrixWindow;
class UserServices;
class QWidget;
struct DocumentNews;

class ChannelCoverageMatrix : public QObject
{
public:
    // open loads a file into the editor as its Open does (false when it
    // could not); check judges the open table against a tuner and shows the
    // findings.
    ChannelCoverageMatrix(ChannelTableDocument& document, ChannelTunerCheck& tunerCheck, UserServices& services,
                          QWidget& owner, std::function<bool(const QString&)> open,
                          std::function<void(TunerChoice)> check);
    ~ChannelCoverageMatrix() override;

    // The command: asks for a tuner table and opens the window, or counts
    // the window's rows against the new one.
    void Ask();
    CoverageMatrixWindow* Window() const;

private:
    void OpenWindow();
    void AddTables();
    void AddFolder();
    void Export();
    void Activate(int row, std::optional<std::size_t> tuner);
    void Follow(const DocumentNews& news);

    const ChannelTableDocument& m_document;
    ChannelTunerCheck& m_tunerCheck;
    UserServices& m_services;
    QWidget& m_owner;
    std::function<bool(const QString&)> m_open;
    std::function<void(TunerChoice)> m_check;
    QPointer<CoverageMatrixWindow> m_pWindow;
    QString m_lastFolder;
};
