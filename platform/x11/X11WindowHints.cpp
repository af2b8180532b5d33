// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11WindowHints.h"

#include "X11Connection.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>

namespace {

xcb_connection_t *connection()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    const auto cookie = xcb_intern_atom(c, 0, uint16_t(strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

xcb_window_t rootOf(xcb_connection_t *c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

bool isMapped(xcb_connection_t *c, xcb_window_t window)
{
    xcb_get_window_attributes_reply_t *reply =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    const bool mapped = reply && reply->map_state != XCB_MAP_STATE_UNMAPPED;
    std::free(reply);
    return mapped;
}

void sendToRoot(xcb_connection_t *c, xcb_window_t window, xcb_atom_t type, const uint32_t (&data)[5])
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    for (int i = 0; i < 5; ++i)
        event.data.data32[i] = data[i];
    xcb_send_event(c, 0, rootOf(c), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
}

// EWMH "_NET_WM_STATE": a mapped window asks the window manager with a client message;
// on an unmapped one the client edits the property itself, and the manager reads it at map.
void changeState(xcb_window_t window, bool add, const char *first, const char *second)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    const xcb_atom_t netWmState = atom(c, "_NET_WM_STATE");
    const xcb_atom_t atom1 = atom(c, first);
    const xcb_atom_t atom2 = second ? atom(c, second) : xcb_atom_t(XCB_ATOM_NONE);
    if (isMapped(c, window)) {
        constexpr uint32_t remove = 0;
        constexpr uint32_t addAction = 1;
        sendToRoot(c, window, netWmState, {add ? addAction : remove, atom1, atom2, 1, 0});
    } else {
        std::vector<xcb_atom_t> states;
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, window, netWmState, XCB_ATOM_ATOM, 0, 1024), nullptr);
        if (reply && reply->format == 32) {
            const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
            states.assign(values, values + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        std::erase(states, atom1);
        std::erase(states, atom2);
        if (add) {
            states.push_back(atom1);
            if (atom2 != XCB_ATOM_NONE)
                states.push_back(atom2);
        }
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, netWmState, XCB_ATOM_ATOM, 32, uint32_t(states.size()),
                            states.data());
    }
    xcb_flush(c);
}

} // namespace

std::unique_ptr<HBWindowHints> HBWindowHints::create()
{
    if (X11Connection::isAvailable())
        return std::make_unique<X11WindowHints>();
    return std::make_unique<HBNullWindowHints>();
}

void X11WindowHints::setListedInTaskbar(QWindow *window, bool listed)
{
    if (window)
        changeState(xcb_window_t(window->winId()), !listed, "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER");
}

void X11WindowHints::setOnAllWorkspaces(QWindow *window, bool onAll)
{
    if (!window)
        return;
    xcb_connection_t *c = connection();
    if (!c)
        return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t desktop = atom(c, "_NET_WM_DESKTOP");
    // EWMH: 0xFFFFFFFF puts a window on all desktops.
    const uint32_t all = 0xFFFFFFFF;
    if (isMapped(c, id)) {
        sendToRoot(c, id, desktop, {onAll ? all : 0, 1, 0, 0, 0});
    } else if (onAll) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1, &all);
    }
    changeState(id, onAll, "_NET_WM_STATE_STICKY", nullptr);
}
