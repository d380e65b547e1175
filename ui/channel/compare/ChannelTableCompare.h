#pragma once
// File > Compare With... of the channel table editor, as a part of its own: a
// channel table chosen and read as the editor reads one, shown beside the
// table being edited in a window that follows every edit, and Copy to This
// Table, which takes the chosen rows of the other table into this one as one
// step. The other table is read once; a later change of its file is not
// followed (Compare With... reads it again).

#include <cstdint>
#include <functional>

#include <QObject>
#include <QPointer>
#include <QString>

class ChannelCompareWindow;
class ChannelTableDocument;
class UserServices;
class QWidget;
struct DocumentNews;

class ChannelTableCompare : public QObject
{
public:
    // activate selects a channel of a list in the editor; copied tells what a
    // copy did, for the status line, and whether it changed the country code.
    ChannelTableCompare(ChannelTableDocument& document, UserServices& services, QWidget& owner,
                        std::function<void(std::int32_t, std::int32_t)> activate,
                        std::function<void(const QString&, bool)> copied);
    ~ChannelTableCompare() override;

    // The command: asks for the other table, beginning in the folder of the
    // table being edited, and opens the window.
    void Ask();
    // Reads the table of the file and shows it beside this one; false, with
    // the reason said, when it cannot be read.
    bool CompareWith(const QString& path);
    // The rows chosen in the window taken into this table.
    void CopyToThisTable();

    ChannelCompareWindow* Window() const;

private:
    void Follow(const DocumentNews& news);

    ChannelTableDocument& m_document;
    UserServices& m_services;
    QWidget& m_owner;
    std::function<void(std::int32_t, std::int32_t)> m_activate;
    std::function<void(const QString&, bool)> m_copied;
    QPointer<ChannelCompareWindow> m_pWindow;
    QString m_lastPath;
};
