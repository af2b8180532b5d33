// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NVNoScrollView.h"

/// The shelf list's scroll view: masked to the same corner shape as the shelf's
/// background (HBWindowBackgroundView), so that selected rows never paint past the
/// curved corners. Its viewport is transparent.
class HBRoundedCornersScrollView : public NVNoScrollView
{
    Q_OBJECT
    Q_PROPERTY(int curvedCorners READ curvedCorners WRITE setCurvedCorners)
    Q_PROPERTY(double cornerRadius READ cornerRadius WRITE setCornerRadius)

public:
    explicit HBRoundedCornersScrollView(QWidget *parent = nullptr);

    int curvedCorners() const { return m_curvedCorners; }
    void setCurvedCorners(int curvedCorners);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);

    /// Rebuilds the mask from the current bounds, radius and shape.
    void updateMask();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    int m_curvedCorners = 0;
    double m_cornerRadius = 0;
};
