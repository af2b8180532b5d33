// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

/// Launch configuration of the welcome framework.
struct NVCConfig
{
    bool showsRunAtLoginButton = false;
    bool appRunsAtLogin = false;
    QString appStoreID;
    bool isAppStore = false;
};
