// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBWindowHints.h"

/// EWMH window-state hints over the xcb connection Qt uses.
class X11WindowHints final : public HBWindowHints
{
    Q_OBJECT

public:
    void setListedInTaskbar(QWindow *window, bool listed) override;
    void setOnAllWorkspaces(QWindow *window, bool onAll) override;
};
