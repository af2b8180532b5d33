// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBWorkspace.h"

#include "HBNullWorkspace.h"

#include <QPointer>

namespace {

QPointer<HBWorkspace> &installedWorkspace()
{
    static QPointer<HBWorkspace> workspace;
    return workspace;
}

} // namespace

HBWorkspace::HBWorkspace(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<HBRunningApplication>();
}

HBWorkspace::~HBWorkspace() = default;

QString HBWorkspace::ownBundleIdentifier()
{
    return QStringLiteral("com.norvale.Kelvora");
}

HBWorkspace *HBWorkspace::sharedWorkspace()
{
    if (HBWorkspace *workspace = installedWorkspace())
        return workspace;
    static HBNullWorkspace nullWorkspace;
    return &nullWorkspace;
}

void HBWorkspace::setSharedWorkspace(HBWorkspace *workspace)
{
    installedWorkspace() = workspace;
}
