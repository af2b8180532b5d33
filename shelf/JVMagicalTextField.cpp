// SPDX-License-Identifier: GPL-3.0-or-later
#include "JVMagicalTextField.h"

#include "HBUserDefaults.h"
#include "NSColorHelpers.h"

JVMagicalTextField::JVMagicalTextField(QWidget *parent)
    : QLabel(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    updateForWindowColor();
    m_originalColor = textColor();
    setTextColor(m_originalColor);
    HBUserDefaults::standardUserDefaults().observe(HBSettingsKeys::windowColor, this,
        [this](const QVariant &, const QVariant &) { updateForWindowColor(); });
    m_didAdd = true;
}

QColor JVMagicalTextField::textColor() const
{
    return palette().color(QPalette::WindowText);
}

void JVMagicalTextField::setTextColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    setPalette(p);
}

void JVMagicalTextField::updateForWindowColor()
{
    updateTextColorForBackgroundColor(HBUserDefaults::standardUserDefaults().windowColor());
}

void JVMagicalTextField::updateTextColor()
{
    setTextColor(m_originalColor);
}

void JVMagicalTextField::updateTextColorForBackgroundColor(const QColor &color)
{
    const double luminosity = nv_luminosity(color);
    // The first evaluation always applies, even for a luminosity of 0 (the starting value).
    if (m_evaluated && luminosity == m_lastLuminosity)
        return;
    m_evaluated = true;
    m_lastLuminosity = luminosity;
    ++m_textColorChanges;
    if (luminosity < nv_lightLuminosityThreshold)
        setTextColor(QColor::fromRgbF(1, 1, 1, 1));
    else
        setTextColor(QColor::fromRgbF(0, 0, 0, 0.9f));
}

void JVMagicalTextField::setBackgroundColor(const QColor &color)
{
    m_backgroundColor = color;
    updateTextColorForBackgroundColor(color);
}

void JVMagicalTextField::setBackgroundStyle(int style)
{
    m_backgroundStyle = style;
    setTextColor(style == EmphasizedBackgroundStyle ? QColor(Qt::white) : m_originalColor);
}
