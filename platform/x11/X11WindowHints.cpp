// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11WindowHints.h"

#include "X11Connection.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <vector>

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <class T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_connection_t *connection()
{
    if (!X11Connection::isAvailable())
        return nullptr;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_window_t rootOf(xcb_connection_t *c, xcb_window_t window)
{
    const Reply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    return reply ? reply->root : xcb_window_t(XCB_WINDOW_NONE);
}

// A withdrawn window (never shown, or hidden again) is not managed: its hints are
// properties that the window manager reads when it maps the window.
bool isWithdrawn(xcb_connection_t *c, xcb_window_t window)
{
    const Reply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return !reply || reply->map_state == XCB_MAP_STATE_UNMAPPED;
}

void sendToRoot(
    xcb_connection_t *c, xcb_window_t window, xcb_atom_t type, std::initializer_list<uint32_t> data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(c, 0, rootOf(c, window),
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char *>(&event));
}

// Adds or removes states; Qt merges the states it finds on a withdrawn window with its
// own when it maps the window, so what is written here survives showing.
void changeStates(
    xcb_connection_t *c, xcb_window_t window, bool add, std::initializer_list<const char *> names)
{
    const xcb_atom_t netWmState = atom(c, "_NET_WM_STATE");
    std::vector<xcb_atom_t> states;
    for (const char *name : names)
        states.push_back(atom(c, name));

    if (!isWithdrawn(c, window)) {
        // _NET_WM_STATE client message: action (0 remove, 1 add), two properties, source 1 (application).
        for (std::size_t i = 0; i < states.size(); i += 2) {
            const uint32_t second = i + 1 < states.size() ? states[i + 1] : 0;
            sendToRoot(c, window, netWmState, {add ? 1u : 0u, states[i], second, 1u, 0u});
        }
        return;
    }

    std::vector<xcb_atom_t> current;
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, netWmState, XCB_ATOM_ATOM, 0, 1024), nullptr));
    if (reply && reply->type == XCB_ATOM_ATOM && reply->format == 32) {
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
        current.assign(values, values + xcb_get_property_value_length(reply.get()) / 4);
    }
    for (xcb_atom_t state : states) {
        const auto found = std::find(current.begin(), current.end(), state);
        if (add && found == current.end())
            current.push_back(state);
        else if (!add && found != current.end())
            current.erase(found);
    }
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, netWmState, XCB_ATOM_ATOM, 32,
        uint32_t(current.size()), current.data());
}

} // namespace

namespace X11WindowHints {

void setOnAllWorkspaces(QWindow *window, bool on)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t netWmDesktop = atom(c, "_NET_WM_DESKTOP");
    if (on) {
        // 0xFFFFFFFF: "the window should appear on all desktops" (EWMH, _NET_WM_DESKTOP).
        const uint32_t all = 0xFFFFFFFFu;
        if (isWithdrawn(c, id))
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, netWmDesktop, XCB_ATOM_CARDINAL, 32, 1, &all);
        else
            sendToRoot(c, id, netWmDesktop, {all, 1u, 0u, 0u, 0u});
    } else if (isWithdrawn(c, id)) {
        xcb_delete_property(c, id, netWmDesktop);
    } else {
        const xcb_atom_t current = atom(c, "_NET_CURRENT_DESKTOP");
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c, xcb_get_property(c, 0, rootOf(c, id), current, XCB_ATOM_CARDINAL, 0, 1), nullptr));
        uint32_t desktop = 0;
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 4)
            desktop = *static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
        sendToRoot(c, id, netWmDesktop, {desktop, 1u, 0u, 0u, 0u});
    }
    changeStates(c, id, on, {"_NET_WM_STATE_STICKY"});
    xcb_flush(c);
}

void setSkipTaskbar(QWindow *window, bool skip)
{
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    changeStates(
        c, xcb_window_t(window->winId()), skip, {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"});
    xcb_flush(c);
}

} // namespace X11WindowHints
