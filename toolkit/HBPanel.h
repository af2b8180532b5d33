// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NVYosemitePanel.h"

/// The shelf's window: a frameless panel that floats above normal windows on every
/// workspace, never takes the keyboard focus, is never listed in task bars or pagers,
/// cannot be moved by the user and is transparent wherever its content draws nothing.
class HBPanel : public NVYosemitePanel
{
    Q_OBJECT

public:
    explicit HBPanel(QWidget *parent = nullptr);

    /// Always false: the panel never becomes the active (key) window.
    bool canBecomeKeyWindow() const { return false; }

protected:
    void showEvent(QShowEvent *event) override;
};
