// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11InputMonitor.h"

#include "X11GestureFilter.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct FreeDeleter
{
    void operator()(void *pointer) const { std::free(pointer); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

constexpr xcb_keysym_t escapeKeysym = 0xff1b;
// Often enough to follow a drag smoothly, rarely enough to cost nothing worth measuring.
constexpr int sampleIntervalMs = 8;

/// Where the pointer is and which buttons and modifiers are down, as the server says.
struct PointerState
{
    QPoint location;
    uint16_t mask = 0;
    bool valid = false;
};

} // namespace

struct X11InputMonitorPrivate
{
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;
    uint8_t xinputOpcode = 0;
    bool listening = false;
    bool lossReported = false;
    xcb_key_symbols_t *keySymbols = nullptr;
    // The core pointer mapping: raw events name the device's buttons before it is applied.
    std::vector<uint8_t> buttonMap;
    X11GestureFilter filter;
    // Counts the raw events read, so that a pointer sample can tell whether one came in
    // between.
    quint64 inputEvents = 0;

    ~X11InputMonitorPrivate()
    {
        if (keySymbols)
            xcb_key_symbols_free(keySymbols);
        if (connection)
            xcb_disconnect(connection);
    }

    bool connected() const { return connection && !xcb_connection_has_error(connection); }

    PointerState queryPointer() const
    {
        PointerState state;
        if (!connected())
            return state;
        XcbReply<xcb_query_pointer_reply_t> reply(
            xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr));
        if (!reply)
            return state;
        state.location = toLogical(reply->root_x, reply->root_y);
        state.mask = reply->mask;
        state.valid = true;
        return state;
    }

    static QPoint toLogical(int x, int y)
    {
        const QScreen *screen = QGuiApplication::primaryScreen();
        const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
        if (ratio == 1.0)
            return {x, y};
        return {int(std::lround(x / ratio)), int(std::lround(y / ratio))};
    }

    void loadButtonMap()
    {
        buttonMap.clear();
        XcbReply<xcb_get_pointer_mapping_reply_t> reply(
            xcb_get_pointer_mapping_reply(connection, xcb_get_pointer_mapping(connection), nullptr));
        if (!reply)
            return;
        const uint8_t *map = xcb_get_pointer_mapping_map(reply.get());
        buttonMap.assign(map, map + xcb_get_pointer_mapping_map_length(reply.get()));
    }

    int logicalButton(uint32_t physical) const
    {
        if (physical >= 1 && physical <= buttonMap.size())
            return buttonMap[physical - 1];
        return int(physical);
    }

    bool isEscape(xcb_keycode_t keyCode) const
    {
        return keySymbols && xcb_key_symbols_get_keysym(keySymbols, keyCode, 0) == escapeKeysym;
    }

    bool selectRawEvents();
};

bool X11InputMonitorPrivate::selectRawEvents()
{
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_input_id);
    if (!extension || !extension->present)
        return false;
    xinputOpcode = extension->major_opcode;
    // 2.1 delivers raw events to the root window even while another client grabs the
    // pointer, which is exactly when a drag runs; 2.2 changes nothing for us but is asked
    // for, as every current client does.
    XcbReply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 2), nullptr));
    if (!version || version->major_version < 2)
        return false;

    struct
    {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection{};
    selection.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    selection.head.mask_len = 1;
    selection.mask = XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE
        | XCB_INPUT_XI_EVENT_MASK_RAW_MOTION | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE;
    XcbReply<xcb_generic_error_t> error(xcb_request_check(
        connection, xcb_input_xi_select_events_checked(connection, root, 1, &selection.head)));
    return !error;
}

X11InputMonitor::X11InputMonitor(QObject *parent)
    : HBInputMonitor(parent)
    , m_x(std::make_unique<X11InputMonitorPrivate>())
    , m_drainEvents(new QTimer(this))
    , m_sampler(new QTimer(this))
{
    // Waiting for a reply can queue events that the socket will not announce again; they
    // are read on the next turn of the event loop.
    m_drainEvents->setSingleShot(true);
    m_drainEvents->setInterval(0);
    connect(m_drainEvents, &QTimer::timeout, this, &X11InputMonitor::readEvents);
    m_sampler->setInterval(sampleIntervalMs);
    connect(m_sampler, &QTimer::timeout, this, &X11InputMonitor::samplePointer);

    int screenNumber = 0;
    m_x->connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_x->connection))
        return;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_x->connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return;
    m_x->root = screens.data->root;

    m_x->listening = m_x->selectRawEvents();
    if (!m_x->listening) {
        qWarning("The X server has no XInput 2: drags and clicks in other programs are not seen.");
        return;
    }
    m_x->keySymbols = xcb_key_symbols_alloc(m_x->connection);
    m_x->loadButtonMap();
    xcb_flush(m_x->connection);

    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_x->connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11InputMonitor::readEvents);
}

X11InputMonitor::~X11InputMonitor() = default;

bool X11InputMonitor::isConnected() const
{
    return m_x->connected() && m_x->root != XCB_WINDOW_NONE;
}

bool X11InputMonitor::isListening() const
{
    return m_x->listening && m_x->connected();
}

QPoint X11InputMonitor::mouseLocation() const
{
    const PointerState state = m_x->queryPointer();
    if (!state.valid)
        return QCursor::pos();
    m_drainEvents->start();
    return state.location;
}

Qt::MouseButtons X11InputMonitor::pressedMouseButtons() const
{
    const PointerState state = m_x->queryPointer();
    if (!state.valid)
        return QGuiApplication::mouseButtons();
    m_drainEvents->start();
    Qt::MouseButtons buttons;
    if (state.mask & XCB_BUTTON_MASK_1)
        buttons |= Qt::LeftButton;
    if (state.mask & XCB_BUTTON_MASK_2)
        buttons |= Qt::MiddleButton;
    if (state.mask & XCB_BUTTON_MASK_3)
        buttons |= Qt::RightButton;
    return buttons;
}

bool X11InputMonitor::checkConnection()
{
    if (m_x->connected())
        return true;
    // A lost server leaves the socket readable for ever: stop listening to it.
    if (m_notifier)
        m_notifier->setEnabled(false);
    m_sampler->stop();
    if (!m_x->lossReported) {
        m_x->lossReported = true;
        qWarning("The connection to the X server was lost: the global input monitor stops.");
    }
    return false;
}

void X11InputMonitor::deliver(const std::optional<HBInputEvent> &event)
{
    if (event)
        Q_EMIT globalEvent(*event);
}

void X11InputMonitor::readEvents()
{
    if (!checkConnection())
        return;
    // A handler that turns the event loop (a dialog) must not read the next events in
    // the middle of these; they are read once this round is done.
    if (m_reading) {
        m_drainEvents->start();
        return;
    }
    const QScopedValueRollback reading(m_reading, true);
    const auto pointerMoved = [this] {
        const PointerState state = m_x->queryPointer();
        if (state.valid)
            deliver(m_x->filter.pointerMoved(state.location));
    };
    // Raw motion comes many times per position the server reports; one reading of the
    // pointer serves all the motion read in one go, unless a button event comes between.
    bool moved = false;
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(m_x->connection)}) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_MAPPING_NOTIFY) {
            auto *mapping = reinterpret_cast<xcb_mapping_notify_event_t *>(event.get());
            if (mapping->request == XCB_MAPPING_POINTER)
                m_x->loadButtonMap();
            else if (m_x->keySymbols)
                xcb_refresh_keyboard_mapping(m_x->keySymbols, mapping);
            continue;
        }
        if (type != XCB_GE_GENERIC)
            continue;
        const auto *generic = reinterpret_cast<const xcb_ge_generic_event_t *>(event.get());
        if (generic->extension != m_x->xinputOpcode)
            continue;
        ++m_x->inputEvents;
        switch (generic->event_type) {
        case XCB_INPUT_RAW_MOTION:
            moved = moved || m_x->filter.leftButtonDown();
            break;
        case XCB_INPUT_RAW_BUTTON_PRESS:
        case XCB_INPUT_RAW_BUTTON_RELEASE: {
            if (moved)
                pointerMoved();
            moved = false;
            const auto *raw = reinterpret_cast<const xcb_input_raw_button_press_event_t *>(event.get());
            const int button = m_x->logicalButton(raw->detail);
            // Raw events carry no position; the pointer is where the server has it now.
            const PointerState state = m_x->queryPointer();
            if (generic->event_type == XCB_INPUT_RAW_BUTTON_PRESS) {
                // Only the left button's gestures are followed; other presses cost nothing.
                if (button != 1)
                    break;
                const QWindow *window = QGuiApplication::topLevelAt(state.location);
                deliver(m_x->filter.buttonPressed(button, state.location, window && window->isVisible()));
            } else {
                deliver(m_x->filter.buttonReleased(button, state.location));
            }
            break;
        }
        case XCB_INPUT_RAW_KEY_RELEASE: {
            const auto *raw = reinterpret_cast<const xcb_input_raw_key_release_event_t *>(event.get());
            const bool focused = QGuiApplication::focusWindow() != nullptr;
            const PointerState state = m_x->queryPointer();
            deliver(m_x->filter.keyReleased(
                int(raw->detail), m_x->isEscape(xcb_keycode_t(raw->detail)), state.location, focused));
            break;
        }
        default:
            break;
        }
    }
    if (moved)
        pointerMoved();
    if (checkConnection())
        updateSampling();
}

void X11InputMonitor::updateSampling()
{
    if (m_x->filter.leftButtonDown()) {
        if (!m_sampler->isActive())
            m_sampler->start();
    } else {
        m_sampler->stop();
    }
}

void X11InputMonitor::samplePointer()
{
    if (!checkConnection())
        return;
    const quint64 eventsBefore = m_x->inputEvents;
    const PointerState state = m_x->queryPointer();
    if (!state.valid) {
        checkConnection();
        return;
    }
    // The reply comes after every event the server sent before it, so input that happened
    // before the pointer was read is among the events read now, and handling it reads the
    // pointer anew. Only when no event came is this sample the latest word: a position, or
    // a button that is up although its release was never delivered.
    readEvents();
    if (m_x->inputEvents != eventsBefore || !m_x->filter.leftButtonDown())
        return;
    if (!(state.mask & XCB_BUTTON_MASK_1))
        deliver(m_x->filter.leftButtonFoundUp(state.location));
    else
        deliver(m_x->filter.pointerMoved(state.location));
    updateSampling();
}
