// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBFakeWorkspace.h"

void HBFakeWorkspace::setFrontmostApplication(const HBRunningApplication &application)
{
    const bool changed = !m_frontmost.isSameApplication(application);
    m_frontmost = application;
    if (changed)
        Q_EMIT frontmostApplicationChanged(m_frontmost);
}

HBRunningApplication HBFakeWorkspace::application(
    const QString &bundleIdentifier, const QString &name, qint64 pid)
{
    HBRunningApplication application;
    application.bundleIdentifier = bundleIdentifier;
    application.localizedName = name.isEmpty() ? bundleIdentifier : name;
    application.processIdentifier = pid;
    application.activationPolicy = HBRunningApplication::ActivationPolicy::Regular;
    return application;
}
