// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NVView.h"

/// A view that is shown but never takes part in input: clicks and drags pass through it to
/// what lies beneath, and it never takes the focus.
class HBNoInteractionView : public NVView
{
    Q_OBJECT

public:
    explicit HBNoInteractionView(QWidget *parent = nullptr);
};
