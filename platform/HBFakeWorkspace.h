// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBWorkspace.h"

/// A workspace whose answers the test sets.
class HBFakeWorkspace : public HBWorkspace
{
    Q_OBJECT
public:
    using HBWorkspace::HBWorkspace;

    HBRunningApplication frontmostApplication() const override { return m_frontmost; }
    QList<HBRunningApplication> runningApplications() const override { return m_running; }

    /// Makes `application` frontmost; emits frontmostApplicationChanged when it is a different
    /// application than before, as the real workspace does.
    void setFrontmostApplication(const HBRunningApplication &application);
    void setRunningApplications(const QList<HBRunningApplication> &applications) { m_running = applications; }

    /// A regular application with the given identifier and name, for brevity in tests.
    static HBRunningApplication application(
        const QString &bundleIdentifier, const QString &name = {}, qint64 pid = 0);

private:
    HBRunningApplication m_frontmost;
    QList<HBRunningApplication> m_running;
};
