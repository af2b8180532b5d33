// SPDX-License-Identifier: GPL-3.0-or-later
#include "NVWindowController.h"

#include "NVInterfaceFiles.h"
#include "NVYosemiteWindow.h"

#include <QGuiApplication>
#include <QPointingDevice>
#include <QScreen>
#include <QTouchEvent>

#include <cmath>

namespace {

constexpr float swipeThreshold = 0.3f;

} // namespace

NVWindowController::NVWindowController(QObject *parent)
    : QObject(parent)
{ }

NVWindowController::~NVWindowController()
{
    // The window is a top-level widget without a QObject parent (or, as a sheet, a child of
    // another window), so the controller ends it itself.
    delete m_window.data();
}

QWidget *NVWindowController::window()
{
    if (!m_windowLoaded) {
        m_windowNibName
            = NVInterfaceFiles::nameAlongClassChain(metaObject(), &NVWindowController::staticMetaObject);
        if (auto built = NVInterfaceFiles::build(m_windowNibName))
            setWindow(std::move(built));
        else
            m_windowNibName.clear();
    }
    return m_window;
}

void NVWindowController::setWindow(std::unique_ptr<QWidget> window)
{
    if (m_windowLoaded || !window)
        return;
    m_window = window.release();
    m_windowLoaded = true;
    windowDidLoad();
}

void NVWindowController::windowDidLoad()
{
    if (auto *yosemite = qobject_cast<NVYosemiteWindow *>(m_window.data()))
        yosemite->configureContentView();
    if (wantsSwipeEvents()) {
        m_window->setAttribute(Qt::WA_AcceptTouchEvents);
        m_window->installEventFilter(this);
    }
    if (!m_nvViewIsLoaded) {
        m_nvViewIsLoaded = true;
        nv_viewDidLoad();
    }
}

void NVWindowController::beginSheetInWindow(QWidget *parent)
{
    QWidget *sheet = window();
    if (!sheet || !parent || m_sheetParent)
        return;
    nv_sheetWillAppear();
    m_sheetParent = parent;
    m_flagsBeforeSheet = sheet->windowFlags();
    sheet->setParent(parent, (m_flagsBeforeSheet & ~Qt::WindowType_Mask) | Qt::Sheet);
    sheet->setWindowModality(Qt::WindowModal);
    // A sheet hangs from the top of its window, centred.
    const QRect frame = parent->frameGeometry();
    sheet->move(frame.center().x() - sheet->width() / 2, parent->geometry().top());
    sheet->show();
    nv_sheetDidAppear();
}

void NVWindowController::closeSheet()
{
    if (!m_sheetParent || !m_window)
        return;
    nv_sheetWillDisappear();
    didEndSheet(0);
    nv_sheetDidDisappear();
}

void NVWindowController::didEndSheet(int returnCode)
{
    Q_UNUSED(returnCode)
    m_window->hide();
    m_window->setWindowModality(Qt::NonModal);
    // The window goes back to being a top-level of its own, so that its former parent
    // never deletes it.
    m_window->setParent(nullptr, m_flagsBeforeSheet);
    m_sheetParent = nullptr;
}

void NVWindowController::beginGesture(const QList<Touch> &touches)
{
    m_touchesDictionary.clear();
    for (const Touch &touch : touches)
        m_touchesDictionary.insert(touch.identity, touch.normalizedX);
}

void NVWindowController::endGesture(const QList<Touch> &touches)
{
    if (m_touchesDictionary.isEmpty())
        return;
    QList<qreal> deltas;
    for (const Touch &touch : touches) {
        const auto start = m_touchesDictionary.constFind(touch.identity);
        if (start != m_touchesDictionary.constEnd())
            deltas.append(touch.normalizedX - *start);
    }
    m_touchesDictionary.clear();
    if (deltas.size() < 2)
        return;
    // Summed in single precision, so that a sum of exactly 0.3 counts as reached.
    float sum = 0;
    for (qreal delta : deltas)
        sum += float(delta);
    if (std::fabs(sum) < swipeThreshold)
        return;
    if (sum > 0)
        didSwipeForward();
    else
        didSwipeBack();
}

NVWindowController::Touch NVWindowController::touchFromPoint(const QEventPoint &point) const
{
    // A touchpad reports where the finger lies on the pad; a device without a surface of
    // its own (a touch screen) is measured across the screen the window is on.
    const QPointingDevice *device = point.device();
    if (device && device->type() == QInputDevice::DeviceType::TouchPad)
        return {point.id(), point.normalizedPosition().x()};
    const QScreen *screen = m_window ? m_window->screen() : QGuiApplication::primaryScreen();
    const QRectF area = screen ? QRectF(screen->geometry()) : QRectF();
    if (area.width() <= 0)
        return {point.id(), 0};
    return {point.id(), (point.globalPosition().x() - area.x()) / area.width()};
}

void NVWindowController::beginGestureWithEvent(const QTouchEvent &event)
{
    QList<Touch> touches;
    for (const QEventPoint &point : event.points())
        touches.append(touchFromPoint(point));
    beginGesture(touches);
}

void NVWindowController::endGestureWithEvent(const QTouchEvent &event)
{
    QList<Touch> touches;
    for (const QEventPoint &point : event.points())
        touches.append(touchFromPoint(point));
    endGesture(touches);
}

bool NVWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window || !wantsSwipeEvents())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::TouchBegin: {
        const auto &touch = static_cast<const QTouchEvent &>(*event);
        beginGestureWithEvent(touch);
        m_lastTouches = m_touchesDictionary;
        event->accept();
        return true;
    }
    case QEvent::TouchUpdate: {
        // Fingers land one after the other and lift one after the other: a finger that
        // lands later still belongs to the gesture, and one that lifts early keeps its last
        // position for the end.
        for (const QEventPoint &point : static_cast<const QTouchEvent *>(event)->points()) {
            const Touch touch = touchFromPoint(point);
            if (point.state() == QEventPoint::Pressed && !m_touchesDictionary.contains(touch.identity))
                m_touchesDictionary.insert(touch.identity, touch.normalizedX);
            m_lastTouches.insert(touch.identity, touch.normalizedX);
        }
        event->accept();
        return true;
    }
    case QEvent::TouchEnd: {
        for (const QEventPoint &point : static_cast<const QTouchEvent *>(event)->points()) {
            const Touch touch = touchFromPoint(point);
            m_lastTouches.insert(touch.identity, touch.normalizedX);
        }
        QList<Touch> touches;
        for (auto it = m_lastTouches.cbegin(); it != m_lastTouches.cend(); ++it)
            touches.append({it.key(), it.value()});
        m_lastTouches.clear();
        endGesture(touches);
        event->accept();
        return true;
    }
    case QEvent::TouchCancel:
        m_touchesDictionary.clear();
        m_lastTouches.clear();
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
