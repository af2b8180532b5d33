// SPDX-License-Identifier: GPL-3.0-or-later
#include "NVViewController.h"

#include "NVInterfaceFiles.h"
#include "NVWindowController.h"

#include <QApplication>
#include <QHash>

namespace {

// Class name to interface name, for the life of the process. It only grows: a class that
// found no interface file is looked up again next time.
QHash<QString, QString> &nibCache()
{
    static QHash<QString, QString> cache;
    return cache;
}

} // namespace

NVViewController::NVViewController(QObject *parent)
    : QObject(parent)
{ }

NVViewController::~NVViewController()
{
    delete m_view.data();
}

QString NVViewController::nibName(const QMetaObject *metaObject)
{
    return NVInterfaceFiles::nameAlongClassChain(metaObject, &QObject::staticMetaObject);
}

QString NVViewController::cachedNibName(const QString &className)
{
    return nibCache().value(className);
}

QWidget *NVViewController::view()
{
    if (m_view)
        return m_view;
    const QString className = QString::fromLatin1(metaObject()->className());
    QString name = nibCache().value(className);
    if (name.isEmpty()) {
        name = nibName(metaObject());
        if (!name.isEmpty())
            nibCache().insert(className, name);
    }
    std::unique_ptr<QWidget> built = name.isEmpty() ? nullptr : NVInterfaceFiles::build(name);
    if (!built) {
        name.clear();
        built = std::make_unique<QWidget>();
    }
    m_viewNibName = name;
    m_view = built.release();
    if (!m_viewHasLoaded) {
        m_viewHasLoaded = true;
        nv_viewDidLoad();
    }
    return m_view;
}

QWidget *NVViewController::parentWindow() const
{
    if (m_parentWindow)
        return m_parentWindow;
    if (const QWidget *view = m_view.data()) {
        if (QWidget *parent = view->parentWidget())
            return parent->window();
    }
    return QApplication::activeWindow();
}

void NVViewController::setParentWindowController(NVWindowController *controller)
{
    m_parentWindowController = controller;
}
