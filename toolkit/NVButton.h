// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

/// A push button that knows when the pointer is over it (for subclasses that draw a hover
/// state) and shows the pointing-hand cursor there.
class NVButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(bool hovered READ isHovered NOTIFY hoveredChanged)

public:
    explicit NVButton(QWidget *parent = nullptr);

    /// Whether the pointer is over the button.
    bool isHovered() const { return m_hovered; }

Q_SIGNALS:
    void hoveredChanged(bool hovered);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void setHovered(bool hovered);

    bool m_hovered = false;
};
