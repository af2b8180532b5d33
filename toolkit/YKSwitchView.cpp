// SPDX-License-Identifier: GPL-3.0-or-later
#include "YKSwitchView.h"

#include "HBUserDefaults.h"
#include "KelvoraResources.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QVariantAnimation>

namespace {

const QString containerImage = QStringLiteral("switchview-container");
const QString backgroundImage = QStringLiteral("switchview-background");
const QString handleImage = QStringLiteral("switchview-handle");

// The container clips the sliding track to a rounded rectangle of this radius.
constexpr qreal containerCornerRadius = 10;

QRect interpolated(const QRect &from, const QRect &to, qreal progress)
{
    const QPointF start = from.topLeft();
    const QPointF position = start + (QPointF(to.topLeft()) - start) * progress;
    return {position.toPoint(), to.size()};
}

class YKSwitchViewAccessible final : public QAccessibleWidget
{
public:
    explicit YKSwitchViewAccessible(YKSwitchView *view)
        : QAccessibleWidget(view, QAccessible::CheckBox)
    { }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = switchView()->isOn();
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction())
            switchView()->accessibilityPress();
    }

private:
    YKSwitchView *switchView() const { return static_cast<YKSwitchView *>(widget()); }
};

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("YKSwitchView") && object && object->isWidgetType())
        return new YKSwitchViewAccessible(static_cast<YKSwitchView *>(object));
    return nullptr;
}

} // namespace

YKSwitchView::YKSwitchView(QWidget *parent)
    : QWidget(parent)
    , m_containerImage(std::make_unique<QSvgRenderer>(KelvoraResources::imagePath(containerImage)))
    , m_backgroundImage(std::make_unique<QSvgRenderer>(KelvoraResources::imagePath(backgroundImage)))
    , m_handleImage(std::make_unique<QSvgRenderer>(KelvoraResources::imagePath(handleImage)))
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(accessibleInstalled)

    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    resize(sizeHint());
    layoutFrames();
    setOn(true, true, false);
}

YKSwitchView::~YKSwitchView()
{
    // A running slide must not report a change on a half-destroyed switch.
    m_pendingNotification = false;
    if (m_animation)
        m_animation->stop();
}

QSize YKSwitchView::sizeHint() const
{
    // As wide as the frame; tall enough for the handle, which stands 1 below the bottom
    // edge and reaches the top.
    return {m_containerImage->defaultSize().width(), m_handleImage->defaultSize().height() - 1};
}

void YKSwitchView::layoutFrames()
{
    // The frames follow from the images' sizes and the switch's size W x H. The handle's
    // image has 3 points of shadow on each side: on, it overhangs the right edge by them;
    // off, the left. The off track is moved left by all but 3 points of W. The container,
    // which clips the track, lies 4 above the bottom edge.
    const int W = width();
    const int H = height();
    const QSize container = m_containerImage->defaultSize();
    const QSize track = m_backgroundImage->defaultSize();
    const QSize handle = m_handleImage->defaultSize();

    m_containerFrame = QRect(QPoint(0, H - 4 - container.height()), container);
    m_backgroundOnFrame = QRect(QPoint(0, container.height() - track.height()), track);
    m_backgroundOffFrame = QRect(QPoint(3 - W, container.height() - track.height()), track);
    m_handleOnFrame = QRect(QPoint(W - handle.width() + 3, H + 1 - handle.height()), handle);
    m_handleOffFrame = QRect(QPoint(-3, H + 1 - handle.height()), handle);
}

void YKSwitchView::placeAt(qreal progress)
{
    m_backgroundFrame
        = interpolated(m_backgroundFromFrame, m_on ? m_backgroundOnFrame : m_backgroundOffFrame, progress);
    m_handleFrame = interpolated(m_handleFromFrame, m_on ? m_handleOnFrame : m_handleOffFrame, progress);
    update();
}

QString YKSwitchView::identifier() const
{
    return m_identifier.isEmpty() ? objectName() : m_identifier;
}

QString YKSwitchView::defaultsKey() const
{
    const QString id = identifier();
    return id.isEmpty() ? QString() : QStringLiteral("Switch_") + id;
}

bool YKSwitchView::isAnimating() const
{
    return m_animation && m_animation->state() == QAbstractAnimation::Running;
}

void YKSwitchView::setOn(bool on, bool silent, bool animated)
{
    // A change still sliding is completed first, so that each change that is not silent
    // reports exactly once and in order.
    if (m_animation) {
        m_animation->stop();
        m_animation->deleteLater();
        finishChange();
    }

    m_on = on;
    m_pendingNotification = !silent;
    m_backgroundFromFrame = m_backgroundFrame;
    m_handleFromFrame = m_handleFrame;

    const bool animate
        = animated && m_animationDuration > 0 && !HBUserDefaults::standardUserDefaults().disableAnimations();
    if (!animate) {
        placeAt(1);
        finishChange();
        return;
    }

    auto *animation = new QVariantAnimation(this);
    animation->setDuration(m_animationDuration);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    connect(animation, &QVariantAnimation::valueChanged, this,
        [this](const QVariant &value) { placeAt(value.toReal()); });
    connect(animation, &QAbstractAnimation::finished, this, [this, animation] {
        if (m_animation == animation)
            m_animation = nullptr;
        animation->deleteLater();
        placeAt(1);
        finishChange();
    });
    m_animation = animation;
    animation->start();
}

void YKSwitchView::finishChange()
{
    if (!m_pendingNotification)
        return;
    m_pendingNotification = false;
    const bool state = m_on;
    if (m_persistValue)
        saveStateToDefaults();
    const QPointer<YKSwitchView> guard(this);
    if (m_stateDidChangeBlock)
        m_stateDidChangeBlock(this, state);
    if (guard)
        Q_EMIT triggered(state);
}

void YKSwitchView::setPersistValue(bool persist)
{
    if (persist == m_persistValue)
        return;
    if (persist)
        loadFromDefaults();
    m_persistValue = persist;
}

void YKSwitchView::loadFromDefaults()
{
    const QString key = defaultsKey();
    if (key.isEmpty())
        return;
    const QVariant stored = HBUserDefaults::standardUserDefaults().value(key);
    if (stored.isValid())
        setOn(stored.toBool(), true, false);
}

void YKSwitchView::saveStateToDefaults()
{
    const QString key = defaultsKey();
    if (key.isEmpty())
        return;
    HBUserDefaults &defaults = HBUserDefaults::standardUserDefaults();
    defaults.setValue(key, m_on);
    defaults.synchronize();
}

void YKSwitchView::toggleByUser()
{
    if (isEnabled())
        setOn(!m_on, false, true);
}

void YKSwitchView::accessibilityPress()
{
    if (!isEnabled())
        return;
    setAccessibleName(
        QStringLiteral("Switch View: %1").arg(m_on ? QStringLiteral("On") : QStringLiteral("Off")));
    toggleByUser();
}

void YKSwitchView::mousePressEvent(QMouseEvent *event)
{
    // Taken, so that the release comes here too.
    event->accept();
}

void YKSwitchView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    event->accept();
    toggleByUser();
}

void YKSwitchView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        event->accept();
        toggleByUser();
        return;
    }
    QWidget::keyPressEvent(event);
}

void YKSwitchView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

void YKSwitchView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutFrames();
    if (!isAnimating())
        placeAt(1);
}

void YKSwitchView::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    // The parts are composed first and then drawn at the switch's opacity, so that a
    // disabled switch fades as one piece.
    const qreal ratio = devicePixelRatioF();
    QImage layer((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);

    const auto blankImage = [&](const QSize &logical) {
        QImage image((QSizeF(logical) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        return image;
    };
    QImage track = blankImage(m_containerFrame.size());
    {
        QPainter p(&track);
        m_backgroundImage->render(&p, QRectF(m_backgroundFrame));
    }
    // The container shows the track through a rounded rectangle: the shape is drawn first
    // and the track kept only where the shape is (a composition over the whole image, so
    // that nothing outside the shape survives).
    QImage container = blankImage(m_containerFrame.size());
    {
        QPainter p(&container);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(m_containerFrame.size())), containerCornerRadius,
            containerCornerRadius);
        p.fillPath(shape, Qt::black);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.drawImage(QPointF(0, 0), track);
    }
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.drawImage(m_containerFrame.topLeft(), container);
        m_containerImage->render(&p, QRectF(m_containerFrame));
        m_handleImage->render(&p, QRectF(m_handleFrame));
    }

    QPainter painter(this);
    painter.setOpacity(opacity());
    painter.drawImage(QPointF(0, 0), layer);
}
