// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NVCConfig.h"

#include <QObject>

/// The welcome framework, in its minimal form: it has no window of its own, so it always
/// lets Kelvora show its windows and never announces a welcome window or a run-at-login
/// change. The signals keep the shape callers connect to.
class NVCore final : public QObject
{
    Q_OBJECT

public:
    static NVCore &sharedInstance();

    void applicationDidLaunchWithConfig(const NVCConfig &config);
    NVCConfig &config() { return m_config; }

    bool canShowMainWindow() const { return true; }
    void showAnyVisibleWindows() { }
    void showWindow() { }

Q_SIGNALS:
    void welcomeWindowDidOpen();
    void welcomeWindowDidClose();
    void didToggleRunAtLogin(bool enabled);

private:
    NVCore() = default;
    NVCConfig m_config;
};
