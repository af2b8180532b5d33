// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBWorkspace.h"

/// The workspace where windows of other programs can't be seen (Qt not on xcb, or no X
/// server): nothing is frontmost, nothing runs, nothing changes.
class HBNullWorkspace : public HBWorkspace
{
    Q_OBJECT
public:
    using HBWorkspace::HBWorkspace;

    HBRunningApplication frontmostApplication() const override { return {}; }
    QList<HBRunningApplication> runningApplications() const override { return {}; }
};
