// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDynamicColorView.h"

#include "HBUserDefaults.h"

HBDynamicColorView::HBDynamicColorView(QWidget *parent)
    : NVView(parent)
{
    updateBackgroundColor();
    HBUserDefaults::standardUserDefaults().observe(HBSettingsKeys::windowColor, this,
        [this](const QVariant &, const QVariant &) { updateBackgroundColor(); });
    m_didAdd = true;
}

void HBDynamicColorView::updateBackgroundColor()
{
    setBackgroundColor(HBUserDefaults::standardUserDefaults().windowColor());
}
