// SPDX-License-Identifier: GPL-3.0-or-later
#include "NVInterfaceFiles.h"

#include <QHash>
#include <QMetaObject>

namespace {

// A function-local static, so that registrations made while other translation units are
// initialised find it constructed.
QHash<QString, NVInterfaceFiles::Builder> &registry()
{
    static QHash<QString, NVInterfaceFiles::Builder> files;
    return files;
}

} // namespace

bool NVInterfaceFiles::add(const QString &name, Builder builder)
{
    registry().insert(name, std::move(builder));
    return true;
}

bool NVInterfaceFiles::contains(const QString &name)
{
    return registry().contains(name);
}

std::unique_ptr<QWidget> NVInterfaceFiles::build(const QString &name)
{
    const auto found = registry().constFind(name);
    if (found == registry().constEnd() || !*found)
        return nullptr;
    return (*found)();
}

QString NVInterfaceFiles::nameAlongClassChain(const QMetaObject *metaObject, const QMetaObject *stopBefore)
{
    for (const QMetaObject *m = metaObject; m && m != stopBefore; m = m->superClass()) {
        const QString name = QString::fromLatin1(m->className());
        if (contains(name))
            return name;
    }
    return {};
}
