#include "widget/DesktopPlacement.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef SORVEL_WIDGET_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace sorvel::DesktopPlacement {

#ifdef SORVEL_WIDGET_XCB

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t result = reply->atom;
    std::free(reply);
    return result;
}

// A client message to the root window, as the window-manager spec asks for
// changes of a mapped window.
void sendToRoot(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window, xcb_atom_t type,
                const uint32_t (&data)[5]) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::memcpy(event.data.data32, data, sizeof data);
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

} // namespace

void showOnEveryWorkspace(QWidget* window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection() || !window)
        return;
    xcb_connection_t* connection = x11->connection();
    const auto id = xcb_window_t(window->winId());
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return;

    constexpr uint32_t allDesktops = 0xFFFFFFFF;
    constexpr uint32_t addState = 1;
    const xcb_atom_t desktop = atom(connection, "_NET_WM_DESKTOP");
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t states[] = {atom(connection, "_NET_WM_STATE_STICKY"), atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                 atom(connection, "_NET_WM_STATE_SKIP_PAGER"), atom(connection, "_NET_WM_STATE_BELOW")};

    // Before the window is mapped the manager reads these properties (Qt adds
    // its own states to the list when it maps the window) …
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32, 4, states);
    // … once it is mapped, only requests to the root window count.
    sendToRoot(connection, screen->root, id, desktop, {allDesktops, 1, 0, 0, 0});
    sendToRoot(connection, screen->root, id, state, {addState, states[0], states[1], 1, 0});
    sendToRoot(connection, screen->root, id, state, {addState, states[2], states[3], 1, 0});
    xcb_flush(connection);
}

#else

void showOnEveryWorkspace(QWidget*) {}

#endif

} // namespace sorvel::DesktopPlacement
