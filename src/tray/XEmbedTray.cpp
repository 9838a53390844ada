#include "tray/XEmbedTray.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace corvane {
namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

xcb_window_t rootWindow(xcb_connection_t* connection)
{
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screens.rem > 0 ? screens.data->root : xcb_window_t{XCB_WINDOW_NONE};
}

// Adds StructureNotify to this client's event mask on the root window, where tray managers announce
// themselves, keeping whatever Qt selected there.
void watchRoot(xcb_connection_t* connection, xcb_window_t root)
{
    const xcb_get_window_attributes_cookie_t cookie = xcb_get_window_attributes(connection, root);
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(connection, cookie, nullptr);
    if (!attributes) {
        return;
    }
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    std::free(attributes);
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
}

} // namespace

XEmbedTray::XEmbedTray(QObject* parent) : QObject(parent)
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        return;
    }
    m_connection = connection;
    // The tray of the first screen: Xvfb and ordinary desktops have one X screen.
    m_selection = internAtom(connection, "_NET_SYSTEM_TRAY_S0");
    m_managerAtom = internAtom(connection, "MANAGER");
    watchRoot(connection, rootWindow(connection));
    qGuiApp->installNativeEventFilter(this);
}

XEmbedTray::~XEmbedTray()
{
    if (m_connection) {
        qGuiApp->removeNativeEventFilter(this);
    }
}

bool XEmbedTray::managerPresent() const
{
    auto* connection = static_cast<xcb_connection_t*>(m_connection);
    if (!connection || m_selection == XCB_ATOM_NONE) {
        return false;
    }
    const xcb_get_selection_owner_cookie_t cookie = xcb_get_selection_owner(connection, m_selection);
    xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(connection, cookie, nullptr);
    const bool owned = reply && reply->owner != XCB_WINDOW_NONE;
    std::free(reply);
    return owned;
}

bool XEmbedTray::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/)
{
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
        const auto* clientMessage = static_cast<const xcb_client_message_event_t*>(message);
        if (clientMessage->type == m_managerAtom && clientMessage->data.data32[1] == m_selection) {
            Q_EMIT managerAppeared();
        }
    }
    return false;
}

} // namespace corvane
