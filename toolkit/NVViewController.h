// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <memory>

class NVWindowController;

/// Base of Kelvora's view controllers (the preference panes). The view comes from the
/// interface file of the nearest class, from the controller's own class up, that has one
/// (NVInterfaceFiles); the answer is cached per class for the process. A class without an
/// interface file anywhere along its chain gets a plain, empty QWidget. Once the view is
/// loaded, nv_viewDidLoad() runs, exactly once.
class NVViewController : public QObject
{
    Q_OBJECT

public:
    explicit NVViewController(QObject *parent = nullptr);
    ~NVViewController() override;

    /// A new controller of class T with its view loaded.
    template <class T> static std::unique_ptr<T> controller()
    {
        auto made = std::make_unique<T>();
        made->view();
        return made;
    }

    /// The name of the interface file for the class `metaObject`: the first class name,
    /// from it up to (and without) QObject, under which one is registered; empty when none.
    static QString nibName(const QMetaObject *metaObject);
    /// The cached interface name for a class name; empty when it has not been looked up or
    /// no interface was found.
    static QString cachedNibName(const QString &className);

    /// The view, loaded on first call. The controller owns it until it is given a parent
    /// widget; it is deleted with the controller in either case.
    QWidget *view();
    bool isViewLoaded() const { return m_view != nullptr; }
    /// The interface file the view was loaded from; empty when none.
    QString viewNibName() const { return m_viewNibName; }

    /// The child of the view with this object name (an outlet of the interface file).
    template <class T> T *outlet(const QString &name) { return view()->findChild<T *>(name); }

    /// The window set by the controller's users; else the window that holds the view; else
    /// the application's active window.
    QWidget *parentWindow() const;
    void setParentWindow(QWidget *window) { m_parentWindow = window; }

    NVWindowController *parentWindowController() const { return m_parentWindowController; }
    void setParentWindowController(NVWindowController *controller);

    /// The smallest size the view needs; the zero size (the default) means the view's own size.
    virtual QSize viewMinSize() const { return {0, 0}; }

    /// Whether nv_viewDidLoad() has run.
    bool nv_viewHasLoaded() const { return m_viewHasLoaded; }

    /// Hooks, empty here. The appearance hooks are called by whoever shows the view.
    virtual void nv_viewDidLoad() { }
    virtual void nv_viewWillAppear() { }
    virtual void nv_viewDidAppear() { }
    virtual void nv_viewWillDisappear() { }
    virtual void nv_viewDidDisappear() { }

private:
    QPointer<QWidget> m_view;
    QPointer<QWidget> m_parentWindow;
    QPointer<NVWindowController> m_parentWindowController;
    QString m_viewNibName;
    bool m_viewHasLoaded = false;
};
