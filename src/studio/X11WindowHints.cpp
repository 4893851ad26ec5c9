#include "studio/X11WindowHints.h"

#include "studio/Shapes.h"

#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
#include <QWidget>

#if SORVEL_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <optional>
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

// The first 32-bit value of a window's property; none when it is not set.
std::optional<uint32_t> cardinal(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property) {
    if (property == XCB_ATOM_NONE)
        return std::nullopt;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    if (!reply)
        return std::nullopt;
    std::optional<uint32_t> value;
    if (reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
        value = *static_cast<const uint32_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return value;
}

xcb_window_t rootOf(xcb_connection_t* connection, xcb_window_t window) {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    if (!tree)
        return XCB_WINDOW_NONE;
    const xcb_window_t root = tree->root;
    std::free(tree);
    return root;
}

constexpr uint32_t everyDesktop = 0xFFFFFFFF;

} // namespace

void moveToCurrentWorkspace(QWidget* window) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !window || !window->isWindow() || !window->testAttribute(Qt::WA_WState_Created))
        return;
    xcb_connection_t* connection = x11->connection();
    if (!connection)
        return;
    const xcb_window_t id = xcb_window_t(window->winId());
    const xcb_window_t root = rootOf(connection, id);
    const xcb_atom_t wmDesktop = atom(connection, "_NET_WM_DESKTOP");
    const std::optional<uint32_t> current = cardinal(connection, root, atom(connection, "_NET_CURRENT_DESKTOP"));
    const std::optional<uint32_t> desktop = cardinal(connection, id, wmDesktop);
    if (root == XCB_WINDOW_NONE || !current || !desktop || *desktop == *current || *desktop == everyDesktop)
        return;
    if (window->isVisible()) {
        // Mapped, if only minimized: the window manager moves it when asked.
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = id;
        message.type = wmDesktop;
        message.data.data32[0] = *current;
        message.data.data32[1] = 1; // asked by an application
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
    } else {
        // Withdrawn (closed to the tray): the property is the window's own, read when it maps.
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, wmDesktop, XCB_ATOM_CARDINAL, 32, 1, &*current);
    }
    xcb_flush(connection);
}

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
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, wmDesktop, XCB_ATOM_CARDINAL, 32, 1, &everyDesktop);
    }
    xcb_flush(connection);
}

std::optional<QPoint> placeOnScreen(QWidget* window) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !window || !window->isWindow() || !window->isVisible())
        return std::nullopt;
    xcb_connection_t* connection = x11->connection();
    if (!connection)
        return std::nullopt;
    const xcb_window_t id = xcb_window_t(window->winId());
    const xcb_window_t root = rootOf(connection, id);
    if (root == XCB_WINDOW_NONE)
        return std::nullopt;
    xcb_translate_coordinates_reply_t* reply =
        xcb_translate_coordinates_reply(connection, xcb_translate_coordinates(connection, id, root, 0, 0), nullptr);
    if (!reply)
        return std::nullopt;
    const QPoint place(reply->dst_x, reply->dst_y);
    std::free(reply);
    return place;
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

void moveToCurrentWorkspace(QWidget*) {}

void keepOnEveryWorkspace(QWidget*, Layer) {}

std::optional<QPoint> placeOnScreen(QWidget*) {
    return std::nullopt;
}

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
