// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

struct QMetaObject;

/// The process's interface files: Qt Designer forms compiled by uic, each registered under
/// the name of the controller class it belongs to (the form HBDockWindowController.ui
/// under "HBDockWindowController"). Controllers find their interface by their class name.
/// Main thread only.
class NVInterfaceFiles final
{
public:
    /// Builds a new root widget with the form's children; the caller owns it.
    using Builder = std::function<std::unique_ptr<QWidget>()>;

    /// Registers the interface file `name`; a later registration under the same name
    /// replaces the earlier one. Answers true, so that it can initialise a constant.
    static bool add(const QString &name, Builder builder);

    /// Registers the uic class `Ui` under `name`. The root widget is of the type that the
    /// form's setupUi() takes (the form's top-level class, e.g. HBPanel).
    template <class Ui> static bool add(const QString &name)
    {
        return add(name, [] { return build<Ui>(&Ui::setupUi); });
    }

    /// Whether an interface file is registered under `name`.
    static bool contains(const QString &name);

    /// A new root widget built from the interface file `name`; null when there is none.
    static std::unique_ptr<QWidget> build(const QString &name);

    /// The first class name, from `metaObject` up its superclasses and stopping before
    /// `stopBefore` (which is not consulted), under which an interface file is registered;
    /// empty when none is.
    static QString nameAlongClassChain(const QMetaObject *metaObject, const QMetaObject *stopBefore);

private:
    template <class Ui, class Form, class Root> static std::unique_ptr<QWidget> build(void (Form::*)(Root *))
    {
        auto root = std::make_unique<Root>();
        Ui ui;
        ui.setupUi(root.get());
        return root;
    }
};

/// Registers the uic form Ui::ClassName under "ClassName", in the controller's .cpp file
/// next to #include "ui_ClassName.h": NV_INTERFACE_FILE(ClassName);
#define NV_INTERFACE_FILE(ClassName)                                                                         \
    [[maybe_unused]] static const bool nvInterfaceFile##ClassName                                            \
        = NVInterfaceFiles::add<Ui::ClassName>(QStringLiteral(#ClassName))
