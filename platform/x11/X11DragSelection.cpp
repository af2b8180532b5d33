// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11DragSelection.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <QSocketNotifier>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <poll.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter
{
    void operator()(void *pointer) const { std::free(pointer); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

// How long a source may take to answer TARGETS. Sources that answer at all do so within
// a few milliseconds; the wait blocks the main thread, so it stays short.
constexpr std::chrono::milliseconds targetsTimeout{50};
// A property that a silent source may still write is not reused before this.
constexpr std::chrono::seconds lateAnswerQuarantine{10};
// More types than any drag offers.
constexpr uint32_t typeListLongs = 1024;
constexpr int propertySlots = 4;

/// The drag that owns the selection now.
struct Drag
{
    qint64 count = 0;
    xcb_window_t owner = XCB_WINDOW_NONE;
    xcb_timestamp_t ownedSince = 0;
    bool own = false;
    // The source wrote XdndTypeList after this drag began, so the property is this drag's.
    bool typeListWritten = false;
    bool typesKnown = false;
    std::optional<QStringList> types;
};

} // namespace

struct X11DragSelectionPrivate
{
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;
    // Ours: it receives the TARGETS answers.
    xcb_window_t requestor = XCB_WINDOW_NONE;
    uint8_t xfixesFirstEvent = 0;
    bool ready = false;
    bool lossReported = false;
    bool changePending = false;

    xcb_atom_t xdndSelection = XCB_ATOM_NONE;
    xcb_atom_t xdndTypeList = XCB_ATOM_NONE;
    xcb_atom_t targets = XCB_ATOM_NONE;
    // Each TARGETS request gets a property no unanswered request uses, so an answer that
    // comes late can never be read as the answer to a later request.
    struct Slot
    {
        xcb_atom_t property = XCB_ATOM_NONE;
        QDeadlineTimer busyUntil{0};
    };
    std::array<Slot, propertySlots> requests{};

    uint32_t ownResourceBase = 0;
    uint32_t ownResourceMask = 0;
    bool knowsOwnResources = false;

    Drag drag;
    // Owners seen before; those outside the root's children have their property changes
    // followed from their first drag on (the root's children are all followed).
    QSet<xcb_window_t> seenOwners;
    QHash<xcb_atom_t, QString> atomNames;

    ~X11DragSelectionPrivate()
    {
        if (connection)
            xcb_disconnect(connection);
    }

    bool connected() const { return ready && !xcb_connection_has_error(connection); }

    xcb_atom_t intern(const char *name)
    {
        XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    void watchProperties(xcb_window_t window)
    {
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
    }

    bool setUp();
    void watchRootChildren();
    /// Handles one event that no wait is looking for.
    void handle(const xcb_generic_event_t *event);
    void beginDrag(xcb_window_t owner, xcb_timestamp_t since);
    /// Reads and handles what the server has sent, without waiting.
    void readPending();
    QStringList names(const xcb_atom_t *atoms, int count);
    std::optional<QStringList> typeListOfDrag();
    std::optional<QStringList> targetsOfDrag();
    std::optional<QStringList> readTypes();
    QStringList atomsInProperty(xcb_window_t window, xcb_atom_t property, bool remove);
};

bool X11DragSelectionPrivate::setUp()
{
    int screenNumber = 0;
    connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection))
        return false;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return false;
    root = screens.data->root;

    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (!extension || !extension->present)
        return false;
    xfixesFirstEvent = extension->first_event;
    // XFixes answers nothing until the client has said which version it speaks.
    XcbReply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(connection,
        xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
    if (!version || version->major_version < 1)
        return false;

    xdndSelection = intern("XdndSelection");
    xdndTypeList = intern("XdndTypeList");
    targets = intern("TARGETS");
    for (int i = 0; i < propertySlots; ++i)
        requests[std::size_t(i)].property
            = intern(QByteArray("KELVORA_DRAG_TYPES_" + QByteArray::number(i)).constData());

    requestor = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, requestor, root, -1, -1, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);

    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        if (xcb_connection_t *qtConnection = x11->connection()) {
            const xcb_setup_t *setup = xcb_get_setup(qtConnection);
            ownResourceBase = setup->resource_id_base;
            ownResourceMask = setup->resource_id_mask;
            knowsOwnResources = true;
        }
    }

    xcb_xfixes_select_selection_input(connection, requestor, xdndSelection,
        XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
            | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
            | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    watchRootChildren();
    xcb_flush(connection);
    ready = !xcb_connection_has_error(connection);
    return ready;
}

void X11DragSelectionPrivate::watchRootChildren()
{
    // Programs keep the window that owns their selections (and carries XdndTypeList) among
    // the root's children. Following their property changes from before any drag begins
    // is what tells a type list written for the current drag from one left by an earlier
    // drag, which no source removes.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr));
    if (!tree)
        return;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        if (children[i] != requestor)
            watchProperties(children[i]);
    }
}

void X11DragSelectionPrivate::beginDrag(xcb_window_t owner, xcb_timestamp_t since)
{
    Drag next;
    next.count = drag.count + 1;
    next.owner = owner;
    next.ownedSince = since;
    next.own = knowsOwnResources && (owner & ~ownResourceMask) == ownResourceBase;
    drag = next;
    changePending = true;
    // An owner that is not a child of the root is followed from now on; the list it may
    // already have written for this drag is then unknown, its next drags' lists are not.
    if (!seenOwners.contains(owner)) {
        seenOwners.insert(owner);
        XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, owner), nullptr));
        if (tree && tree->parent != root) {
            watchProperties(owner);
            xcb_flush(connection);
        }
    }
}

void X11DragSelectionPrivate::handle(const xcb_generic_event_t *event)
{
    const uint8_t type = event->response_type & 0x7f;
    if (type == xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto *notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t *>(event);
        if (notify->selection != xdndSelection)
            return;
        if (notify->subtype != XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER
            || notify->owner == XCB_WINDOW_NONE) {
            // The source went away or let go: no drag owns the selection, the last one keeps
            // its count, and whoever takes the selection next begins a new drag.
            seenOwners.remove(drag.owner);
            drag.owner = XCB_WINDOW_NONE;
            return;
        }
        // Qt keeps the selection after its drags; its next drag shows as a new time.
        if (notify->owner != drag.owner || notify->selection_timestamp != drag.ownedSince)
            beginDrag(notify->owner, notify->selection_timestamp);
        return;
    }
    switch (type) {
    case XCB_PROPERTY_NOTIFY: {
        const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        if (notify->window == drag.owner && notify->atom == xdndTypeList
            && notify->state == XCB_PROPERTY_NEW_VALUE) {
            drag.typeListWritten = true;
            // A drag that had no known types may have them now.
            if (drag.typesKnown && !drag.types)
                drag.typesKnown = false;
        }
        break;
    }
    case XCB_CREATE_NOTIFY: {
        const auto *notify = reinterpret_cast<const xcb_create_notify_event_t *>(event);
        // Sent at once: the program may write the property any moment now.
        if (notify->parent == root && notify->window != requestor) {
            watchProperties(notify->window);
            xcb_flush(connection);
        }
        break;
    }
    case XCB_DESTROY_NOTIFY:
        seenOwners.remove(reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window);
        break;
    case XCB_SELECTION_NOTIFY: {
        // A TARGETS answer that came after its wait ended: its property may be used again.
        const auto *notify = reinterpret_cast<const xcb_selection_notify_event_t *>(event);
        for (Slot &slot : requests) {
            if (notify->property == slot.property) {
                xcb_delete_property(connection, requestor, slot.property);
                slot.busyUntil = QDeadlineTimer(0);
            }
        }
        break;
    }
    default:
        // Errors come from windows that went away before their events were selected.
        break;
    }
}

void X11DragSelectionPrivate::readPending()
{
    if (!connected())
        return;
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(connection)})
        handle(event.get());
}

QStringList X11DragSelectionPrivate::names(const xcb_atom_t *atoms, int count)
{
    // Every unknown name is asked for before the first answer is awaited: one round trip.
    QHash<xcb_atom_t, xcb_get_atom_name_cookie_t> asked;
    for (int i = 0; i < count; ++i) {
        if (atoms[i] != XCB_ATOM_NONE && !atomNames.contains(atoms[i]) && !asked.contains(atoms[i]))
            asked.insert(atoms[i], xcb_get_atom_name(connection, atoms[i]));
    }
    for (auto it = asked.cbegin(); it != asked.cend(); ++it) {
        XcbReply<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(connection, it.value(), nullptr));
        if (reply) {
            atomNames.insert(it.key(),
                QString::fromUtf8(
                    xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get())));
        }
    }
    QStringList result;
    for (int i = 0; i < count; ++i) {
        const QString name = atomNames.value(atoms[i]);
        if (!name.isEmpty() && !result.contains(name))
            result.append(name);
    }
    return result;
}

QStringList X11DragSelectionPrivate::atomsInProperty(xcb_window_t window, xcb_atom_t property, bool remove)
{
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection,
        xcb_get_property(connection, remove ? 1 : 0, window, property, XCB_ATOM_ATOM, 0, typeListLongs),
        nullptr));
    if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32)
        return {};
    return names(static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get())),
        xcb_get_property_value_length(reply.get()) / 4);
}

std::optional<QStringList> X11DragSelectionPrivate::typeListOfDrag()
{
    const qint64 count = drag.count;
    // The reading itself is a round trip: a PropertyNotify the source's write caused is
    // read together with the answer and handled before the answer is trusted.
    QStringList types = atomsInProperty(drag.owner, xdndTypeList, false);
    readPending();
    if (drag.count != count || !drag.typeListWritten || types.isEmpty())
        return std::nullopt;
    return types;
}

std::optional<QStringList> X11DragSelectionPrivate::targetsOfDrag()
{
    Slot *slot = nullptr;
    for (Slot &candidate : requests) {
        if (candidate.busyUntil.hasExpired()) {
            slot = &candidate;
            break;
        }
    }
    if (!slot)
        return std::nullopt;
    const qint64 count = drag.count;
    const xcb_timestamp_t time = drag.ownedSince;
    xcb_delete_property(connection, requestor, slot->property);
    xcb_convert_selection(connection, requestor, xdndSelection, targets, slot->property, time);
    xcb_flush(connection);
    slot->busyUntil = QDeadlineTimer(lateAnswerQuarantine);

    const QDeadlineTimer deadline(targetsTimeout);
    while (connected()) {
        while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(connection)}) {
            if ((event->response_type & 0x7f) == XCB_SELECTION_NOTIFY) {
                const auto *notify = reinterpret_cast<const xcb_selection_notify_event_t *>(event.get());
                const bool answersThis = notify->requestor == requestor && notify->selection == xdndSelection
                    && notify->target == targets && notify->time == time
                    && (notify->property == slot->property || notify->property == XCB_ATOM_NONE);
                if (answersThis) {
                    slot->busyUntil = QDeadlineTimer(0);
                    if (notify->property == XCB_ATOM_NONE || drag.count != count)
                        return std::nullopt;
                    QStringList types = atomsInProperty(requestor, slot->property, true);
                    if (types.isEmpty())
                        return std::nullopt;
                    return types;
                }
            }
            handle(event.get());
            // Another drag began while this one's source was asked: the answer, whenever
            // it comes, is not the current drag's.
            if (drag.count != count)
                return std::nullopt;
        }
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            return std::nullopt;
        pollfd descriptor{xcb_get_file_descriptor(connection), POLLIN, 0};
        ::poll(&descriptor, 1, int(remaining));
    }
    return std::nullopt;
}

std::optional<QStringList> X11DragSelectionPrivate::readTypes()
{
    if (drag.owner == XCB_WINDOW_NONE)
        return std::nullopt;
    if (std::optional<QStringList> types = typeListOfDrag())
        return types;
    // This program's own drag is served by Qt on this very thread, which would not answer
    // while it waits here.
    if (drag.own || drag.owner == XCB_WINDOW_NONE)
        return std::nullopt;
    return targetsOfDrag();
}

X11DragSelection::X11DragSelection(QObject *parent)
    : HBDragSelection(parent)
    , m_x(std::make_unique<X11DragSelectionPrivate>())
    , m_drainEvents(new QTimer(this))
{
    // Events read while waiting for a reply are handled at once, but changed() is sent
    // from the event loop, never from inside a getter.
    m_drainEvents->setSingleShot(true);
    m_drainEvents->setInterval(0);
    connect(m_drainEvents, &QTimer::timeout, this, &X11DragSelection::readEvents);
    if (!m_x->setUp())
        return;
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_x->connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11DragSelection::readEvents);
}

X11DragSelection::~X11DragSelection() = default;

bool X11DragSelection::isConnected() const
{
    return m_x->connected();
}

bool X11DragSelection::checkConnection()
{
    if (m_x->connected())
        return true;
    // A lost server leaves the socket readable for ever: stop listening to it.
    if (m_notifier)
        m_notifier->setEnabled(false);
    if (m_x->ready && !m_x->lossReported) {
        m_x->lossReported = true;
        qWarning("The connection to the X server was lost: drags are no longer followed.");
    }
    return false;
}

void X11DragSelection::readEvents()
{
    if (!checkConnection())
        return;
    m_x->readPending();
    if (m_x->changePending) {
        m_x->changePending = false;
        Q_EMIT changed();
    }
}

qint64 X11DragSelection::changeCount() const
{
    // A drag that began before the event loop got to its notice still counts.
    m_x->readPending();
    if (m_x->changePending)
        m_drainEvents->start();
    return m_x->drag.count;
}

bool X11DragSelection::isOwnDrag() const
{
    m_x->readPending();
    if (m_x->changePending)
        m_drainEvents->start();
    return m_x->drag.own;
}

std::optional<QStringList> X11DragSelection::offeredTypes() const
{
    m_x->readPending();
    if (m_x->drag.count == 0 || !m_x->connected()) {
        if (m_x->changePending)
            m_drainEvents->start();
        return m_x->drag.count == 0 ? std::optional<QStringList>(QStringList()) : std::nullopt;
    }
    if (!m_x->drag.typesKnown) {
        const qint64 count = m_x->drag.count;
        std::optional<QStringList> types = m_x->readTypes();
        if (m_x->drag.count == count) {
            m_x->drag.types = std::move(types);
            m_x->drag.typesKnown = true;
        }
    }
    if (m_x->changePending)
        m_drainEvents->start();
    return m_x->drag.typesKnown ? m_x->drag.types : std::nullopt;
}

std::optional<QStringList> X11DragSelection::readOfferedTypes() const
{
    m_x->readPending();
    std::optional<QStringList> types = m_x->readTypes();
    if (m_x->changePending)
        m_drainEvents->start();
    return types;
}
