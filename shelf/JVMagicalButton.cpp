// SPDX-License-Identifier: GPL-3.0-or-later
#include "JVMagicalButton.h"

#include "HBUserDefaults.h"
#include "KelvoraResources.h"
#include "NSColorHelpers.h"

#include <QPainter>

JVMagicalButton::JVMagicalButton(QWidget *parent)
    : NVButton(parent)
{
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
    setIconSize({18, 18});
    updateForWindowColor();
    HBUserDefaults::standardUserDefaults().observe(HBSettingsKeys::windowColor, this,
        [this](const QVariant &, const QVariant &) { updateForWindowColor(); });
    m_didAdd = true;
}

void JVMagicalButton::setImageName(const QString &name)
{
    m_imageName = name;
    setOriginalImage(QIcon(KelvoraResources::imagePath(name)));
}

void JVMagicalButton::setOriginalImage(const QIcon &image)
{
    m_originalImage = image;
    updateForWindowColor();
}

void JVMagicalButton::setDarkImage(const QIcon &image)
{
    m_darkImage = image;
    updateForWindowColor();
}

void JVMagicalButton::setDarkImageName(const QString &name)
{
    setDarkImage(QIcon(KelvoraResources::imagePath(name)));
}

void JVMagicalButton::updateForWindowColor()
{
    updateImageForColor(HBUserDefaults::standardUserDefaults().windowColor());
}

void JVMagicalButton::updateImageForColor(const QColor &color)
{
    m_lastCheck = nv_luminosity(color);
    m_showsDark = m_lastCheck >= nv_lightLuminosityThreshold;
    setIcon(m_showsDark ? m_darkImage : m_originalImage);
}

void JVMagicalButton::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isHovered() || isDown()) {
        // A soft disc behind the image, light on dark shelves and dark on light ones.
        QColor disc = m_showsDark ? QColor(0, 0, 0) : QColor(255, 255, 255);
        disc.setAlphaF(isDown() ? 0.28f : 0.16f);
        painter.setPen(Qt::NoPen);
        painter.setBrush(disc);
        const int d = qMin(width(), height()) - 2;
        painter.drawEllipse(QRect((width() - d) / 2, (height() - d) / 2, d, d));
    }
    const QIcon shown = icon();
    if (shown.isNull())
        return;
    const QSize size = iconSize();
    const QRect target(
        (width() - size.width()) / 2, (height() - size.height()) / 2, size.width(), size.height());
    shown.paint(&painter, target, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}
