// SPDX-License-Identifier: GPL-3.0-or-later
#include "NSWindowHelpers.h"

#include "x11/X11WindowHints.h"

#include <QEvent>
#include <QVariantAnimation>
#include <QWidget>
#include <QWindow>

#include <cmath>

namespace {

// Dynamic properties kept on the window.
constexpr char fixedProperty[] = "nv_fixedSize";
constexpr char savedMinimumProperty[] = "nv_savedMinimumSize";
constexpr char savedMaximumProperty[] = "nv_savedMaximumSize";
constexpr char animationName[] = "nv_contentSizeAnimation";
constexpr char fullScreenProperty[] = "nv_fullScreenEnabled";
constexpr char workspaceFilterName[] = "nv_allWorkspacesFilter";

// The window manager drops a window's workspace and state hints when the window is
// withdrawn, so they are given again each time it is shown.
class AllWorkspacesFilter final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            X11WindowHints::setOnAllWorkspaces(static_cast<QWidget *>(watched)->windowHandle(), true);
        return false;
    }
};

void keepOnAllWorkspaces(QWidget *window)
{
    if (!window->findChild<AllWorkspacesFilter *>(
            QLatin1String(workspaceFilterName), Qt::FindDirectChildrenOnly)) {
        auto *filter = new AllWorkspacesFilter(window);
        filter->setObjectName(QLatin1String(workspaceFilterName));
        window->installEventFilter(filter);
    }
    if (window->isVisible())
        X11WindowHints::setOnAllWorkspaces(window->windowHandle(), true);
}

bool isPinned(const QWidget *window)
{
    return window->property(fixedProperty).toBool();
}

// Sets the content geometry for a frame, keeping a pinned window pinned to its new size.
void applyFrame(QWidget *window, const QRect &frame)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins margins(inner.left() - outer.left(), inner.top() - outer.top(),
        outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const QRect content = frame.marginsRemoved(margins);
    if (isPinned(window))
        window->setFixedSize(content.size());
    window->setGeometry(content);
}

void changeFrame(QWidget *window, const QRect &target, bool animated)
{
    // A new change replaces one still running, so the two never fight over the frame.
    if (auto *running
        = window->findChild<QVariantAnimation *>(QLatin1String(animationName), Qt::FindDirectChildrenOnly)) {
        // Stopping deletes it later; until then it must not be found again.
        running->setObjectName(QString());
        running->stop();
    }
    if (!animated || !window->isVisible()) {
        applyFrame(window, target);
        return;
    }
    auto *animation = new QVariantAnimation(window);
    animation->setObjectName(QLatin1String(animationName));
    animation->setDuration(nv_contentSizeAnimationDuration);
    animation->setStartValue(window->frameGeometry());
    animation->setEndValue(target);
    QObject::connect(animation, &QVariantAnimation::valueChanged, window,
        [window](const QVariant &value) { applyFrame(window, value.toRect()); });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace

QSize nv_contentSize(const QWidget *window)
{
    if (!window)
        return {};
    return {window->width(), window->height() - nv_titleAreaHeight};
}

QRect nv_frameForContentSize(
    const QRect &frame, const QSize &content, const QSize &size, double customBorderThickness)
{
    const double dW = size.width() - content.width();
    const double dH = size.height() - (content.height() - customBorderThickness);
    // With y downwards the top edge is frame.y() and stays; only x moves, by half the growth.
    const int x = int(std::lround(frame.x() - dW / 2));
    const int width = int(std::lround(frame.width() + dW));
    const int height = int(std::lround(frame.height() + dH));
    return {x, frame.y(), width, height};
}

void nv_setContentSize(QWidget *window, const QSize &size, bool animated, double customBorderThickness)
{
    if (!window)
        return;
    const QRect target = nv_frameForContentSize(
        window->frameGeometry(), window->geometry().size(), size, customBorderThickness);
    changeFrame(window, target, animated);
}

void nv_originalSetContentSize(QWidget *window, const QSize &size, bool animated)
{
    nv_setContentSize(window, size, animated, 0);
}

bool nv_isFullScreen(const QWidget *window)
{
    return window && window->isFullScreen();
}

void nv_setResizable(QWidget *window, bool resizable)
{
    if (!window || resizable == !isPinned(window))
        return;
    if (!resizable) {
        window->setProperty(savedMinimumProperty, window->minimumSize());
        window->setProperty(savedMaximumProperty, window->maximumSize());
        window->setProperty(fixedProperty, true);
        window->setFixedSize(window->size());
        return;
    }
    window->setProperty(fixedProperty, QVariant());
    window->setMinimumSize(window->property(savedMinimumProperty).toSize());
    window->setMaximumSize(window->property(savedMaximumProperty).toSize());
    window->setProperty(savedMinimumProperty, QVariant());
    window->setProperty(savedMaximumProperty, QVariant());
}

bool nv_isResizable(const QWidget *window)
{
    return window && window->minimumSize() != window->maximumSize();
}

void nv_enableFullScreen(QWidget *window)
{
    if (!window)
        return;
    window->setProperty(fullScreenProperty, true);
    keepOnAllWorkspaces(window);
}

void nv_disableFullScreen(QWidget *window)
{
    if (!window)
        return;
    window->setProperty(fullScreenProperty, false);
    keepOnAllWorkspaces(window);
}

bool nv_isFullScreenEnabled(const QWidget *window)
{
    return window && window->property(fullScreenProperty).toBool();
}
