// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QClipboard>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class HBDBusService;
class HBDockWindowController;

/// The program's first object: it runs the launch sequence, wires the subsystems
/// together and turns files handed over from outside into items. Main thread only.
class AppDelegate final : public QObject
{
    Q_OBJECT

public:
    /// Shows a message the user must see (title, text). Tests replace it so that no modal
    /// window ever waits for an answer.
    using MessagePresenter = std::function<void(const QString &title, const QString &text)>;

    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    /// Claims the session-bus name; false when another Kelvora holds it.
    bool claimSingleInstance();

    /// The launch sequence; call once, from the event loop's first turn or before it.
    void applicationDidFinishLaunching();

    /// Files handed over from outside (command line, file manager, a second launch).
    /// Beeps and adds nothing for an empty list. True when an item was added.
    bool openFiles(const QStringList &paths);
    /// Makes one item of the paths, saves it and announces it; beeps when none results.
    bool addItemsWithArray(const QStringList &paths);

    /// Adds the clipboard or the primary selection (the text or files just selected
    /// anywhere) as an item; false, with a beep, when nothing could be added.
    bool addFromPasteboard(QClipboard::Mode mode);

    /// The shelf; created by the launch sequence.
    HBDockWindowController *dockWindowController() const { return m_dockWindowController.get(); }
    /// Shows or hides the shelf as the global hot key does.
    void toggleShelf();

    /// Whether the launch presentation has run.
    bool didShow() const { return m_didShow; }

    void setMessagePresenter(MessagePresenter presenter) { m_presentMessage = std::move(presenter); }

private:
    void setupCoreData();
    void showHideDockIcon();
    void addNVCNotificationObservers();
    void addNotificationObservers();
    void updateNVCRunAtLogin();
    void finishLaunchPresentation();
    void showMainWindowIfNeeded();
    void openWelcome();
    void welcomeWindowDidOpen();
    void welcomeWindowDidClose();
    void didToggleRunAtLogin(bool enabled);

    bool eventFilter(QObject *watched, QEvent *event) override;

    std::unique_ptr<HBDBusService> m_dbusService;
    std::unique_ptr<HBDockWindowController> m_dockWindowController;
    MessagePresenter m_presentMessage;
    bool m_didShow = false;
};
