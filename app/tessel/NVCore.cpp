// SPDX-License-Identifier: GPL-3.0-or-later
#include "NVCore.h"

NVCore &NVCore::sharedInstance()
{
    static NVCore instance;
    return instance;
}

void NVCore::applicationDidLaunchWithConfig(const NVCConfig &config)
{
    m_config = config;
}
