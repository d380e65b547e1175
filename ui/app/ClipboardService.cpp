#include "ui/app/ClipboardService.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <poll.h>
#include <xcb/xcb.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

xcb_atom_t Atom(xcb_connection_t* pConnection, const char* pszName)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(pConnection, 0, static_cast<std::uint16_t>(std::strlen(pszName)), pszName);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(pConnection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

bool IsSelectionNotify(const xcb_generic_event_t* pEvent)
{
    return (pEvent->response_type & 0x7F) == XCB_SELECTION_NOTIFY;
}

// Waits for the owner's answer to a conversion asked on this connection; true
// when it came, or when the connection broke (nothing can be told then).
bool AnswerCame(xcb_connection_t* pConnection, int limitMs)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        while (xcb_generic_event_t* pEvent = xcb_poll_for_event(pConnection)) {
            const bool bAnswer = IsSelectionNotify(pEvent);
            std::free(pEvent);
            if (bAnswer)
                return true;
        }
        if (xcb_connection_has_error(pConnection))
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd wait{xcb_get_file_descriptor(pConnection), POLLIN, 0};
        ::poll(&wait, 1, static_cast<int>(left));
    }
}

// Asks the X clipboard's owner for its TARGETS from a window of a connection
// of our own, so that Qt's connection and its event thread see nothing of it.
bool XClipboardOwnerAnswers(int limitMs)
{
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(xcb_connect(nullptr, nullptr),
                                                                                  &xcb_disconnect);
    xcb_connection_t* pConnection = connection.get();
    if (xcb_connection_has_error(pConnection))
        return true;
    const xcb_atom_t clipboard = Atom(pConnection, "CLIPBOARD");
    const xcb_atom_t targets = Atom(pConnection, "TARGETS");
    const xcb_atom_t property = Atom(pConnection, "VORNALIX_CLIPBOARD_PROBE");
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(pConnection, xcb_get_selection_owner(pConnection, clipboard), nullptr),
        &std::free);
    // An empty clipboard is read at once.
    if (!owner || owner->owner == XCB_WINDOW_NONE)
        return true;
    const xcb_screen_t* pScreen = xcb_setup_roots_iterator(xcb_get_setup(pConnection)).data;
    if (!pScreen)
        return true;
    const xcb_window_t window = xcb_generate_id(pConnection);
    xcb_create_window(pConnection, XCB_COPY_FROM_PARENT, window, pScreen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_convert_selection(pConnection, window, clipboard, targets, property, XCB_CURRENT_TIME);
    xcb_flush(pConnection);
    const bool bAnswered = AnswerCame(pConnection, limitMs);
    xcb_destroy_window(pConnection, window);
    xcb_flush(pConnection);
    return bAnswered;
}

} // namespace

void DesktopClipboard::PutRows(const QString& plainText, const QByteArray& csv)
{
    auto* pData = new QMimeData;
    pData->setText(plainText);
    pData->setData(QString::fromLatin1(kCsvMimeType), csv);
    // The clipboard takes the data over.
    QGuiApplication::clipboard()->setMimeData(pData);
}

QString DesktopClipboard::Text() const
{
    const QMimeData* pData = QGuiApplication::clipboard()->mimeData();
    if (!pData)
        return {};
    if (pData->hasText())
        return pData->text();
    return QString::fromUtf8(pData->data(QString::fromLatin1(kCsvMimeType)));
}

bool DesktopClipboard::Answers() const
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    // This program answers from its event loop, which waits for this call.
    if (QGuiApplication::clipboard()->ownsClipboard())
        return true;
    return XClipboardOwnerAnswers(kAnswerLimitMs);
}
