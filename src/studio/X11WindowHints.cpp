#include "studio/X11WindowHints.h"

#include "studio/Shapes.h"

#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
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
    for (const char* name :
         {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_STICKY", stacking}) {
        if (const xcb_atom_t state = atom(connection, name); state != XCB_ATOM_NONE)
            states.push_back(state);
    }
    const xcb_atom_t wmState = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t wmDesktop = atom(connection, "_NET_WM_DESKTOP");
    if (wmState != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, wmState, XCB_ATOM_ATOM, 32, uint32_t(states.size()),
                            states.data());
    if (wmDesktop != XCB_ATOM_NONE) {
        const uint32_t everyDesktop = 0xFFFFFFFF;
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, wmDesktop, XCB_ATOM_CARDINAL, 32, 1, &everyDesktop);
    }
    xcb_flush(connection);
}

bool composited() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return true;
    // The screen number is the part after the dot of the display name (":0.1").
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype dot = display.lastIndexOf('.');
    const int screen = dot > display.lastIndexOf(':') ? display.mid(dot + 1).toInt() : 0;
    const QByteArray selection = "_NET_WM_CM_S" + QByteArray::number(screen);
    const xcb_atom_t name = atom(connection, selection.constData());
    if (name == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, name), nullptr);
    if (!reply)
        return false;
    const bool owned = reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
}

#else

void keepOnEveryWorkspace(QWidget*, Layer) {}

bool composited() {
    return true;
}

#endif

void cutWhereNotComposited(QWidget* window, const QPainterPath& shape) {
    if (!window)
        return;
    if (composited())
        window->clearMask();
    else
        window->setMask(Shapes::region(shape));
}

} // namespace sorvel::X11WindowHints
