#include "studio/X11WindowHints.h"

#include <QGuiApplication>
#include <QWidget>

#if SORVEL_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>
#endif

namespace sorvel::X11WindowHints {

#if SORVEL_HAVE_XCB

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t found = reply->atom;
    std::free(reply);
    return found;
}

} // namespace

void keepOnEveryWorkspace(QWidget* window, Layer layer) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !window || !window->isWindow() || window->isVisible())
        return;
    xcb_connection_t* connection = x11->connection();
    if (!connection)
        return;
    const xcb_window_t id = xcb_window_t(window->winId());

    std::vector<xcb_atom_t> states;
    const char* stacking = layer == Layer::Above ? "_NET_WM_STATE_ABOVE" : "_NET_WM_STATE_BELOW";
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_STICKY", stacking}) {
        if (const xcb_atom_t state = atom(connection, name); state != XCB_ATOM_NONE)
            states.push_back(state);
    }
    const xcb_atom_t wmState = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t wmDesktop = atom(connection, "_NET_WM_DESKTOP");
    if (wmState != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, wmState, XCB_ATOM_ATOM, 32,
                            uint32_t(states.size()), states.data());
    if (wmDesktop != XCB_ATOM_NONE) {
        const uint32_t everyDesktop = 0xFFFFFFFF;
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, wmDesktop, XCB_ATOM_CARDINAL, 32, 1,
                            &everyDesktop);
    }
    xcb_flush(connection);
}

#else

void keepOnEveryWorkspace(QWidget*, Layer) {}

#endif

} // namespace sorvel::X11WindowHints
