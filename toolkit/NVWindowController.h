// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

class QEventPoint;
class QTouchEvent;

/// Base of Kelvora's window controllers. The window comes from the interface file
/// registered under the controller's class name (NVInterfaceFiles; a class without one
/// uses its nearest superclass's), loaded on the first call of window(). Once it is
/// loaded, nv_viewDidLoad() runs, exactly once.
class NVWindowController : public QObject
{
    Q_OBJECT

public:
    /// One finger's position at the start or end of a gesture: its identity and its x on
    /// the touch surface, normalised to 0..1.
    struct Touch
    {
        int identity = 0;
        qreal normalizedX = 0;
    };

    explicit NVWindowController(QObject *parent = nullptr);
    ~NVWindowController() override;

    /// A new controller of class T; its window loads on first use.
    template <class T> static std::unique_ptr<T> controller() { return std::make_unique<T>(); }

    /// The window, loaded on first call; null when no interface file was found along the
    /// class chain and none was given by setWindow().
    QWidget *window();
    /// Whether the window has been loaded or given.
    bool isWindowLoaded() const { return m_windowLoaded; }
    /// Gives the controller a window made in code, for classes without an interface file,
    /// and runs the load steps for it. The controller owns it. Does nothing once a window
    /// is loaded.
    void setWindow(std::unique_ptr<QWidget> window);
    /// The name of the interface file the window was loaded from; empty when none.
    QString windowNibName() const { return m_windowNibName; }

    /// The child of the window with this object name (an outlet of the interface file).
    template <class T> T *outlet(const QString &name)
    {
        QWidget *w = window();
        return w ? w->findChild<T *>(name) : nullptr;
    }

    /// The window this controller's window belongs to; set by the controller's users.
    QWidget *parentWindow() const { return m_parentWindow; }
    void setParentWindow(QWidget *window) { m_parentWindow = window; }

    /// Whether nv_viewDidLoad() has run.
    bool nvViewIsLoaded() const { return m_nvViewIsLoaded; }

    /// Whether the two-finger swipe recogniser runs on the window; no by default.
    virtual bool wantsSwipeEvents() const { return false; }

    /// Shows the window as a window-modal sheet over `parent`, between
    /// nv_sheetWillAppear() and nv_sheetDidAppear().
    void beginSheetInWindow(QWidget *parent);
    /// Ends the sheet between nv_sheetWillDisappear() and nv_sheetDidDisappear().
    void closeSheet();
    /// Whether the window is showing as a sheet.
    bool isSheet() const { return m_sheetParent != nullptr; }

    /// Gesture entries: the touches at the start of a gesture, and at its end. At the end,
    /// the x movements of the fingers seen at the start are summed; with two fingers or
    /// more, a sum of 0.3 or more calls didSwipeForward(), of -0.3 or less didSwipeBack().
    void beginGesture(const QList<Touch> &touches);
    void endGesture(const QList<Touch> &touches);
    void beginGestureWithEvent(const QTouchEvent &event);
    void endGestureWithEvent(const QTouchEvent &event);
    /// The fingers recorded at the start of the gesture in progress.
    const QHash<int, qreal> &touchesDictionary() const { return m_touchesDictionary; }

    /// Hooks, empty here.
    virtual void nv_viewDidLoad() { }
    virtual void nv_sheetWillAppear() { }
    virtual void nv_sheetDidAppear() { }
    virtual void nv_sheetWillDisappear() { }
    virtual void nv_sheetDidDisappear() { }
    virtual void didSwipeBack() { }
    virtual void didSwipeForward() { }

protected:
    /// Called when the sheet ends; hides the window.
    virtual void didEndSheet(int returnCode);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void windowDidLoad();
    Touch touchFromPoint(const QEventPoint &point) const;

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_parentWindow;
    QPointer<QWidget> m_sheetParent;
    QString m_windowNibName;
    Qt::WindowFlags m_flagsBeforeSheet;
    QHash<int, qreal> m_touchesDictionary;
    QHash<int, qreal> m_lastTouches;
    bool m_windowLoaded = false;
    bool m_nvViewIsLoaded = false;
};
