// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11Workspace.h"

#include "HBDesktopEntryIndex.h"
#include "X11NetWmIcon.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QSocketNotifier>
#include <QSysInfo>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter
{
    void operator()(void *pointer) const { std::free(pointer); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

// WM_CLASS and WM_CLIENT_MACHINE are short; more than this is not a sane value.
constexpr uint32_t textPropertyLongs = 256;
// _NET_WM_ICON may hold several sizes; enough for the largest one the decoder takes.
constexpr uint32_t iconPropertyLongs = 2 * X11NetWmIcon::largestSide * X11NetWmIcon::largestSide;

enum class WindowRole { Normal, Other, Background };

/// What one top-level client window tells about its application.
struct WindowFacts
{
    xcb_window_t window = XCB_WINDOW_NONE;
    QString instanceName;
    QString className;
    uint32_t pid = 0;
    QString clientMachine;
    WindowRole role = WindowRole::Normal;
    bool skipTaskbar = false;
    bool ownWindow = false;
};

/// The windows of one application, before its name and icon are looked up.
struct WindowGroup
{
    QString identifier;
    std::optional<HBDesktopEntryIndex::Entry> entry;
    QString className;
    uint32_t pid = 0;
    bool own = false;
    QList<WindowFacts> windows;
};

} // namespace

struct X11WorkspacePrivate
{
    xcb_connection_t *connection = nullptr;
    xcb_ewmh_connection_t ewmh{};
    bool ewmhReady = false;
    xcb_window_t root = XCB_WINDOW_NONE;
    int screen = 0;
    // Windows made by Qt's own connection are this process's windows: their ids carry
    // that connection's resource id base.
    uint32_t ownResourceBase = 0;
    uint32_t ownResourceMask = 0;
    bool knowsOwnResources = false;
    HBDesktopEntryIndex desktopEntries;

    ~X11WorkspacePrivate()
    {
        if (ewmhReady)
            xcb_ewmh_connection_wipe(&ewmh);
        if (connection)
            xcb_disconnect(connection);
    }

    bool connected() const { return ewmhReady && !xcb_connection_has_error(connection); }

    QByteArray propertyBytes(xcb_get_property_cookie_t cookie)
    {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr));
        if (!reply || reply->format != 8)
            return {};
        return QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
            xcb_get_property_value_length(reply.get()));
    }

    xcb_get_property_cookie_t requestText(xcb_window_t window, xcb_atom_t property)
    {
        return xcb_get_property_unchecked(
            connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, textPropertyLongs);
    }

    QList<xcb_window_t> clientList()
    {
        xcb_ewmh_get_windows_reply_t clients{};
        QList<xcb_window_t> windows;
        if (xcb_ewmh_get_client_list_reply(
                &ewmh, xcb_ewmh_get_client_list_unchecked(&ewmh, screen), &clients, nullptr)) {
            windows.reserve(clients.windows_len);
            for (uint32_t i = 0; i < clients.windows_len; ++i)
                windows.append(clients.windows[i]);
            xcb_ewmh_get_windows_reply_wipe(&clients);
        }
        return windows;
    }

    xcb_window_t activeWindow()
    {
        xcb_window_t active = XCB_WINDOW_NONE;
        auto *e = &ewmh;
        if (!xcb_ewmh_get_active_window_reply(
                e, xcb_ewmh_get_active_window_unchecked(e, screen), &active, nullptr))
            return XCB_WINDOW_NONE;
        return active;
    }

    /// The facts of many windows at once: every request is sent before the first reply is
    /// awaited, so a long client list costs one round trip, not six per window.
    QList<WindowFacts> facts(const QList<xcb_window_t> &windows);
    QIcon windowIcon(xcb_window_t window);
    QList<WindowGroup> groups(const QList<xcb_window_t> &windows);
    HBRunningApplication describe(const WindowGroup &group);
};

QList<WindowFacts> X11WorkspacePrivate::facts(const QList<xcb_window_t> &windows)
{
    auto *e = &ewmh;
    struct Cookies
    {
        xcb_get_property_cookie_t wmClass, machine, pid, type, state, transientFor;
    };
    QList<Cookies> cookies;
    cookies.reserve(windows.size());
    for (const xcb_window_t window : windows) {
        cookies.append({requestText(window, XCB_ATOM_WM_CLASS),
            requestText(window, XCB_ATOM_WM_CLIENT_MACHINE), xcb_ewmh_get_wm_pid_unchecked(e, window),
            xcb_ewmh_get_wm_window_type_unchecked(e, window), xcb_ewmh_get_wm_state_unchecked(e, window),
            xcb_icccm_get_wm_transient_for_unchecked(connection, window)});
    }

    const uint32_t ownPid = uint32_t(QCoreApplication::applicationPid());
    const QString hostName = QSysInfo::machineHostName();
    QList<WindowFacts> result;
    result.reserve(windows.size());
    for (qsizetype i = 0; i < windows.size(); ++i) {
        WindowFacts window;
        window.window = windows.at(i);
        const Cookies &c = cookies.at(i);

        // ICCCM 4.1.2.5: two consecutive NUL-terminated strings, instance then class.
        const QList<QByteArray> names = propertyBytes(c.wmClass).split('\0');
        window.instanceName = QString::fromLocal8Bit(names.value(0));
        window.className = QString::fromLocal8Bit(names.value(1));
        window.clientMachine = QString::fromLocal8Bit(propertyBytes(c.machine)).section(QChar(0), 0, 0);

        uint32_t pid = 0;
        if (xcb_ewmh_get_wm_pid_reply(e, c.pid, &pid, nullptr))
            window.pid = pid;

        xcb_window_t transientFor = XCB_WINDOW_NONE;
        const bool transient
            = xcb_icccm_get_wm_transient_for_reply(connection, c.transientFor, &transientFor, nullptr)
            && transientFor != XCB_WINDOW_NONE;

        // EWMH _NET_WM_WINDOW_TYPE: the first type the reader knows counts; without the
        // property, a transient window is a dialog and any other a normal window.
        window.role = transient ? WindowRole::Other : WindowRole::Normal;
        xcb_ewmh_get_atoms_reply_t types{};
        if (xcb_ewmh_get_wm_window_type_reply(e, c.type, &types, nullptr)) {
            for (uint32_t t = 0; t < types.atoms_len; ++t) {
                const xcb_atom_t type = types.atoms[t];
                if (type == ewmh._NET_WM_WINDOW_TYPE_NORMAL) {
                    window.role = WindowRole::Normal;
                    break;
                }
                if (type == ewmh._NET_WM_WINDOW_TYPE_DOCK || type == ewmh._NET_WM_WINDOW_TYPE_DESKTOP) {
                    window.role = WindowRole::Background;
                    break;
                }
                if (type == ewmh._NET_WM_WINDOW_TYPE_DIALOG || type == ewmh._NET_WM_WINDOW_TYPE_UTILITY
                    || type == ewmh._NET_WM_WINDOW_TYPE_TOOLBAR || type == ewmh._NET_WM_WINDOW_TYPE_MENU
                    || type == ewmh._NET_WM_WINDOW_TYPE_SPLASH
                    || type == ewmh._NET_WM_WINDOW_TYPE_NOTIFICATION
                    || type == ewmh._NET_WM_WINDOW_TYPE_DROPDOWN_MENU
                    || type == ewmh._NET_WM_WINDOW_TYPE_POPUP_MENU || type == ewmh._NET_WM_WINDOW_TYPE_TOOLTIP
                    || type == ewmh._NET_WM_WINDOW_TYPE_COMBO || type == ewmh._NET_WM_WINDOW_TYPE_DND) {
                    window.role = WindowRole::Other;
                    break;
                }
            }
            xcb_ewmh_get_atoms_reply_wipe(&types);
        }

        xcb_ewmh_get_atoms_reply_t states{};
        if (xcb_ewmh_get_wm_state_reply(e, c.state, &states, nullptr)) {
            for (uint32_t s = 0; s < states.atoms_len; ++s) {
                if (states.atoms[s] == ewmh._NET_WM_STATE_SKIP_TASKBAR)
                    window.skipTaskbar = true;
            }
            xcb_ewmh_get_atoms_reply_wipe(&states);
        }

        // _NET_WM_PID is only meaningful together with WM_CLIENT_MACHINE (EWMH).
        const bool ownProcess
            = window.pid == ownPid && (window.clientMachine.isEmpty() || window.clientMachine == hostName);
        const bool ownConnection = knowsOwnResources && (window.window & ~ownResourceMask) == ownResourceBase;
        window.ownWindow = ownProcess || ownConnection
            || window.instanceName.compare(QLatin1String("kelvora"), Qt::CaseInsensitive) == 0
            || window.className.compare(QLatin1String("kelvora"), Qt::CaseInsensitive) == 0;
        result.append(window);
    }
    return result;
}

QList<WindowGroup> X11WorkspacePrivate::groups(const QList<xcb_window_t> &windows)
{
    desktopEntries.reloadIfChanged();
    QList<WindowGroup> result;
    QHash<QString, qsizetype> groupIndex;
    for (const WindowFacts &window : facts(windows)) {
        WindowGroup group;
        if (window.ownWindow) {
            group.own = true;
            group.identifier = HBWorkspace::ownBundleIdentifier();
            group.entry = desktopEntries.entryWithId(group.identifier);
        } else {
            group.entry = desktopEntries.entryForWindowClass(window.instanceName, window.className);
            group.identifier = group.entry    ? group.entry->id
                : !window.className.isEmpty() ? window.className
                                              : window.instanceName;
        }
        // A window that names no class has nothing to be known by.
        if (group.identifier.isEmpty())
            continue;
        group.className = window.className;
        group.pid = window.pid;
        // One application per identifier and process; another instance of a program is
        // another running application, as it would be anywhere else.
        const QString key = group.identifier + u'\n' + QString::number(group.own ? 0 : window.pid);
        auto existing = groupIndex.constFind(key);
        if (existing == groupIndex.constEnd()) {
            existing = groupIndex.insert(key, result.size());
            result.append(group);
        }
        result[*existing].windows.append(window);
    }
    return result;
}

QIcon X11WorkspacePrivate::windowIcon(xcb_window_t window)
{
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection,
        xcb_get_property_unchecked(
            connection, 0, window, ewmh._NET_WM_ICON, XCB_ATOM_CARDINAL, 0, iconPropertyLongs),
        nullptr));
    if (!reply || reply->format != 32 || reply->type != XCB_ATOM_CARDINAL)
        return {};
    return X11NetWmIcon::decode(static_cast<const quint32 *>(xcb_get_property_value(reply.get())),
        xcb_get_property_value_length(reply.get()) / 4);
}

HBRunningApplication X11WorkspacePrivate::describe(const WindowGroup &group)
{
    HBRunningApplication application;
    application.bundleIdentifier = group.identifier;
    application.processIdentifier = group.own ? QCoreApplication::applicationPid() : qint64(group.pid);

    if (group.entry && !group.entry->name.isEmpty())
        application.localizedName = group.entry->name;
    else if (group.own)
        application.localizedName = QGuiApplication::applicationDisplayName();
    else
        application.localizedName = group.className.isEmpty() ? group.identifier : group.className;

    if (group.own)
        application.icon = QGuiApplication::windowIcon();
    if (application.icon.isNull() && group.entry)
        application.icon = desktopEntries.iconFor(*group.entry);
    for (qsizetype i = 0; application.icon.isNull() && i < group.windows.size(); ++i)
        application.icon = windowIcon(group.windows.at(i).window);

    bool onlyBackground = true;
    bool listedInTaskbar = false;
    for (const WindowFacts &window : group.windows) {
        application.windows.append(WId(window.window));
        onlyBackground = onlyBackground && window.role == WindowRole::Background;
        listedInTaskbar = listedInTaskbar || (window.role == WindowRole::Normal && !window.skipTaskbar);
    }
    application.activationPolicy = listedInTaskbar ? HBRunningApplication::ActivationPolicy::Regular
        : onlyBackground                           ? HBRunningApplication::ActivationPolicy::Prohibited
                                                   : HBRunningApplication::ActivationPolicy::Accessory;
    return application;
}

X11Workspace::X11Workspace(QObject *parent)
    : HBWorkspace(parent)
    , m_x(std::make_unique<X11WorkspacePrivate>())
    , m_drainEvents(new QTimer(this))
{
    // Waiting for a reply can queue events that the socket will not announce again;
    // they are read on the next turn of the event loop.
    m_drainEvents->setSingleShot(true);
    m_drainEvents->setInterval(0);
    connect(m_drainEvents, &QTimer::timeout, this, &X11Workspace::readEvents);

    // A connection of our own: its event mask on the root window is ours to set, where
    // changing Qt's would replace the mask Qt chose for its connection.
    m_x->connection = xcb_connect(nullptr, &m_x->screen);
    if (xcb_connection_has_error(m_x->connection))
        return;
    m_x->ewmhReady
        = xcb_ewmh_init_atoms_replies(&m_x->ewmh, xcb_ewmh_init_atoms(m_x->connection, &m_x->ewmh), nullptr);
    if (!m_x->ewmhReady)
        return;
    m_x->root = m_x->ewmh.screens[m_x->screen]->root;

    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        if (xcb_connection_t *qtConnection = x11->connection()) {
            const xcb_setup_t *setup = xcb_get_setup(qtConnection);
            m_x->ownResourceBase = setup->resource_id_base;
            m_x->ownResourceMask = setup->resource_id_mask;
            m_x->knowsOwnResources = true;
        }
    }

    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_x->connection, m_x->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_x->connection);

    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_x->connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11Workspace::readEvents);
    updateFrontmost();
}

X11Workspace::~X11Workspace() = default;

bool X11Workspace::isConnected() const
{
    return m_x->connected();
}

QList<HBRunningApplication> X11Workspace::runningApplications() const
{
    if (!m_x->connected())
        return {};
    QList<HBRunningApplication> applications;
    for (const WindowGroup &group : m_x->groups(m_x->clientList()))
        applications.append(m_x->describe(group));
    m_drainEvents->start();
    return applications;
}

void X11Workspace::readEvents()
{
    if (!m_x->connected()) {
        // A lost server leaves the socket readable for ever; stop listening to it.
        if (m_notifier)
            m_notifier->setEnabled(false);
        return;
    }
    bool activeChanged = false;
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(m_x->connection)}) {
        // Errors (response type 0) come from windows that went away between the client
        // list and the questions about them; they only mean "no answer".
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            continue;
        const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event.get());
        if (notify->window == m_x->root && notify->atom == m_x->ewmh._NET_ACTIVE_WINDOW)
            activeChanged = true;
    }
    if (activeChanged)
        updateFrontmost();
}

void X11Workspace::updateFrontmost()
{
    if (!m_x->connected())
        return;
    HBRunningApplication frontmost;
    const xcb_window_t active = m_x->activeWindow();
    if (active == XCB_WINDOW_NONE) {
        // Window managers clear _NET_ACTIVE_WINDOW between unfocusing one window and
        // focusing the next, and when the user clicks the bare desktop. Neither makes
        // another application frontmost: the last one stays so while it has windows.
        const QList<xcb_window_t> windows = m_x->clientList();
        const bool lastStillRuns = std::any_of(m_frontmost.windows.cbegin(), m_frontmost.windows.cend(),
            [&](WId w) { return windows.contains(xcb_window_t(w)); });
        if (lastStillRuns)
            frontmost = m_frontmost;
    } else {
        QList<xcb_window_t> windows = m_x->clientList();
        // The active window is normally managed, hence listed; if not, it alone still
        // tells its application.
        if (!windows.contains(active))
            windows.prepend(active);
        for (const WindowGroup &group : m_x->groups(windows)) {
            const bool holdsActive = std::any_of(group.windows.cbegin(), group.windows.cend(),
                [&](const WindowFacts &w) { return w.window == active; });
            if (holdsActive) {
                frontmost = m_x->describe(group);
                break;
            }
        }
    }
    const bool changed = !frontmost.isSameApplication(m_frontmost);
    m_frontmost = frontmost;
    m_drainEvents->start();
    if (changed)
        Q_EMIT frontmostApplicationChanged(m_frontmost);
}
