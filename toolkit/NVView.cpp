// SPDX-License-Identifier: GPL-3.0-or-later
#include "NVView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

bool isInputEvent(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

// Three box blurs of the alpha channel come close to a Gaussian blur.
void blurAlpha(QImage &image, int radius)
{
    if (radius < 1)
        return;
    const int w = image.width();
    const int h = image.height();
    std::vector<int> alpha(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            alpha[std::size_t(y) * std::size_t(w) + std::size_t(x)] = qAlpha(line[x]);
    }
    std::vector<int> scratch(alpha.size());
    const auto pass = [&](bool horizontal) {
        const int lines = horizontal ? h : w;
        const int length = horizontal ? w : h;
        for (int l = 0; l < lines; ++l) {
            const auto at = [&](int i) -> std::size_t {
                return horizontal ? std::size_t(l) * std::size_t(w) + std::size_t(i)
                                  : std::size_t(i) * std::size_t(w) + std::size_t(l);
            };
            int sum = 0;
            for (int i = -radius; i <= radius; ++i)
                sum += alpha[at(std::clamp(i, 0, length - 1))];
            for (int i = 0; i < length; ++i) {
                scratch[at(i)] = sum / (2 * radius + 1);
                sum += alpha[at(std::min(i + radius + 1, length - 1))];
                sum -= alpha[at(std::max(i - radius, 0))];
            }
        }
        alpha.swap(scratch);
    };
    for (int i = 0; i < 3; ++i) {
        pass(true);
        pass(false);
    }
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgba(0, 0, 0, alpha[std::size_t(y) * std::size_t(w) + std::size_t(x)]);
    }
}

} // namespace

NVView::NVView(QWidget *parent)
    : QWidget(parent)
{ }

void NVView::setBackgroundColor(const QColor &color)
{
    if (color == m_backgroundColor)
        return;
    m_backgroundColor = color;
    update();
}

void NVView::setBackgroundImage(const QImage &image)
{
    m_backgroundImage = image;
    update();
}

void NVView::setBorderColor(const QColor &color)
{
    m_borderColor = color;
    update();
}

void NVView::setBorderWidth(double width)
{
    m_borderWidth = width;
    update();
}

void NVView::setCornerRadius(double radius)
{
    m_cornerRadius = radius;
    update();
}

void NVView::setAlphaValue(double alpha)
{
    m_alphaValue = std::clamp(alpha, 0.0, 1.0);
    update();
}

void NVView::setShadow(const QColor &color, const QPointF &offset, double blurRadius)
{
    m_shadowColor = color;
    m_shadowOffset = offset;
    m_shadowBlurRadius = std::max(0.0, blurRadius);
    update();
}

bool NVView::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (!m_viewController || !isInputEvent(event) || event->isAccepted())
        return handled;
    // The controller sits between the view and its parent: it sees what the view left, and
    // whatever it leaves goes on to the parent.
    QCoreApplication::sendEvent(m_viewController, event);
    return event->isAccepted();
}

void NVView::drawShadow(QPainter &painter, const QPainterPath &path) const
{
    const int blur = int(std::ceil(m_shadowBlurRadius));
    QImage shadow(size() + QSize(2 * blur, 2 * blur), QImage::Format_ARGB32);
    shadow.fill(Qt::transparent);
    {
        QPainter p(&shadow);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(blur, blur);
        p.fillPath(path, Qt::black);
    }
    blurAlpha(shadow, blur / 3 + (blur > 0 ? 1 : 0));
    {
        QPainter p(&shadow);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(shadow.rect(), m_shadowColor);
    }
    painter.drawImage(m_shadowOffset - QPointF(blur, blur), shadow);
}

void NVView::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);

    if (hasShadow())
        drawShadow(painter, path);
    if (m_backgroundColor.isValid()) {
        QColor fill = m_backgroundColor;
        fill.setAlphaF(float(fill.alphaF() * m_alphaValue));
        painter.fillPath(path, fill);
    }
    if (m_borderColor.isValid() && m_borderWidth != 0)
        painter.strokePath(path, QPen(m_borderColor, m_borderWidth));
    if (!m_backgroundImage.isNull()) {
        painter.setOpacity(m_alphaValue);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(QRectF(rect()), m_backgroundImage);
    }
}
