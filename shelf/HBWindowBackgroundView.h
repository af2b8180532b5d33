// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NVView.h"

#include <QPainterPath>

/// The shelf's content view: filled with the setting windowColor (followed live) and
/// shaped with curved corners on the side that faces the screen's interior.
class HBWindowBackgroundView : public NVView
{
    Q_OBJECT
    Q_PROPERTY(int curvedCorners READ curvedCorners WRITE setCurvedCorners)

public:
    /// Corner shapes: the right-hand corners curved (shelf at the left edge), the
    /// left-hand ones (shelf at the right edge); any other value curves all four.
    enum CornerShape { CurveRightHandCorners = 0, CurveLeftHandCorners = 1, CurveAllCorners = 2 };

    explicit HBWindowBackgroundView(QWidget *parent = nullptr);

    int curvedCorners() const { return m_curvedCorners; }
    /// Sets the shape and redraws.
    void setCurvedCorners(int curvedCorners);
    /// Whether the view follows windowColor (set once, when it starts observing).
    bool didAdd() const { return m_didAdd; }

    /// Sets the background colour to the current windowColor.
    void updateBackgroundColor();

    /// The outline of `bounds` with corners of radius `radius` curved by `curvedCorners`.
    static QPainterPath cornerPath(const QRectF &bounds, double radius, int curvedCorners);
    /// Appends the outline whose two right-hand corners are curved (shape 0).
    static void curveLeftCorners(QPainterPath &path, const QRectF &bounds, double radius);
    /// Appends the outline whose two left-hand corners are curved (shape 1).
    static void curveRightCorners(QPainterPath &path, const QRectF &bounds, double radius);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_curvedCorners = CurveRightHandCorners;
    bool m_didAdd = false;
};
