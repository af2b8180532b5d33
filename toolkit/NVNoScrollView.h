// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScrollArea>

/// A scroll area whose scrolling by wheel, touchpad or swipe can be switched off; it is off
/// until the owner switches it on. Scroll bars and programmatic scrolling are unaffected.
class NVNoScrollView : public QScrollArea
{
    Q_OBJECT
    Q_PROPERTY(bool scrollingEnabled READ scrollingEnabled WRITE setScrollingEnabled)

public:
    explicit NVNoScrollView(QWidget *parent = nullptr);

    bool scrollingEnabled() const { return m_scrollingEnabled; }
    void setScrollingEnabled(bool enabled) { m_scrollingEnabled = enabled; }

protected:
    bool viewportEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    bool m_scrollingEnabled = false;
};
