// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBWindowBackgroundView.h"

#include "HBUserDefaults.h"

#include <QPainter>

HBWindowBackgroundView::HBWindowBackgroundView(QWidget *parent)
    : NVView(parent)
{
    // Never opaque: the corners outside the outline show what lies behind the window.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAttribute(Qt::WA_NoSystemBackground);
    updateBackgroundColor();
    HBUserDefaults::standardUserDefaults().observe(HBSettingsKeys::windowColor, this,
        [this](const QVariant &, const QVariant &) { updateBackgroundColor(); });
    m_didAdd = true;
}

void HBWindowBackgroundView::setCurvedCorners(int curvedCorners)
{
    m_curvedCorners = curvedCorners;
    update();
}

void HBWindowBackgroundView::updateBackgroundColor()
{
    setBackgroundColor(HBUserDefaults::standardUserDefaults().windowColor());
}

void HBWindowBackgroundView::curveLeftCorners(QPainterPath &path, const QRectF &b, double r)
{
    const double x = b.x(), y = b.y(), w = b.width(), h = b.height();
    path.moveTo(x, y);
    path.lineTo(x + w - r, y);
    path.cubicTo(x + w, y, x + w, y, x + w, y + r);
    path.lineTo(x + w, y + h - r);
    path.cubicTo(x + w, y + h, x + w, y + h, x + w - r, y + h);
    path.lineTo(x, y + h);
    path.lineTo(x, y);
}

void HBWindowBackgroundView::curveRightCorners(QPainterPath &path, const QRectF &b, double r)
{
    const double x = b.x(), y = b.y(), w = b.width(), h = b.height();
    path.moveTo(x + w, y);
    path.lineTo(x + r, y);
    path.cubicTo(x, y, x, y, x, y + r);
    path.lineTo(x, y + h - r);
    path.cubicTo(x, y + h, x, y + h, x + r, y + h);
    path.lineTo(x + w, y + h);
    path.lineTo(x + w, y);
}

QPainterPath HBWindowBackgroundView::cornerPath(const QRectF &bounds, double radius, int curvedCorners)
{
    QPainterPath path;
    switch (curvedCorners) {
    case CurveRightHandCorners:
        curveLeftCorners(path, bounds, radius);
        break;
    case CurveLeftHandCorners:
        curveRightCorners(path, bounds, radius);
        break;
    default:
        path.addRoundedRect(bounds, radius, radius);
        break;
    }
    return path;
}

void HBWindowBackgroundView::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    // The outline replaces NVView's own rounding: filled with antialiasing rather than
    // clipped, since clip paths have hard edges.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = cornerPath(QRectF(rect()), cornerRadius(), m_curvedCorners);
    if (backgroundColor().isValid()) {
        QColor fill = backgroundColor();
        fill.setAlphaF(float(fill.alphaF() * alphaValue()));
        painter.fillPath(path, fill);
    }
    if (borderColor().isValid() && borderWidth() != 0)
        painter.strokePath(path, QPen(borderColor(), borderWidth()));
    if (!backgroundImage().isNull()) {
        painter.setClipPath(path);
        painter.setOpacity(alphaValue());
        painter.drawImage(QRectF(rect()), backgroundImage());
    }
}
