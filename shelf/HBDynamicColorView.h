// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NVView.h"

/// A plain view filled with the setting windowColor, followed live.
class HBDynamicColorView : public NVView
{
    Q_OBJECT

public:
    explicit HBDynamicColorView(QWidget *parent = nullptr);

    bool didAdd() const { return m_didAdd; }
    /// Sets the background colour to the current windowColor.
    void updateBackgroundColor();

private:
    bool m_didAdd = false;
};
