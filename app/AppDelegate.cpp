// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppDelegate.h"

#include "HBDBusService.h"
#include "HBDockWindowController.h"
#include "HBFileManager.h"
#include "HBNotificationCenter.h"
#include "HBNotifications.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBPasteboardHelper.h"
#include "HBUserDefaults.h"
#include "NVCore.h"
#include "PasteboardItem.h"
#include "x11/X11WindowHints.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QWidget>
#include <QWindow>

namespace {

// Windows that stand for the application in the task bar: normal windows and dialogs.
// Tool windows (the shelf, drop windows, popups) never are.
bool representsApplication(const QWidget *widget)
{
    if (!widget || !widget->isWindow())
        return false;
    const Qt::WindowType type = widget->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

} // namespace

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent)
    , m_presentMessage([](const QString &title, const QString &text) {
        auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    })
{
    HBDBusService::Handlers handlers;
    handlers.addFiles = [this](const QStringList &paths) { return openFiles(paths); };
    handlers.addClipboard = [this] { return addFromPasteboard(QClipboard::Clipboard); };
    handlers.addSelection = [this] { return addFromPasteboard(QClipboard::Selection); };
    handlers.toggle = [this] { toggleShelf(); };

    // Every item the intake makes gets its files written or recorded by the file manager.
    HBPasteboardHelper::sharedHelper().setFileMaker([](PasteboardItem *item, const Pasteboard *pasteboard) {
        HBFileManager::sharedManager().makeFileForItemIfNeeded(item, pasteboard);
    });
    m_dbusService = std::make_unique<HBDBusService>(std::move(handlers));
}

AppDelegate::~AppDelegate() = default;

bool AppDelegate::claimSingleInstance()
{
    return m_dbusService->registerOnSessionBus();
}

void AppDelegate::applicationDidFinishLaunching()
{
    // The order of these steps is what the rest of the program relies on: the store is
    // open before anything can add an item, observers are in place before the shelf
    // exists, and the welcome presentation comes last.
    setupCoreData();
    showHideDockIcon();
    addNVCNotificationObservers();
    addNotificationObservers();

    // The shelf's own set-up loads the list and shows it when it holds items.
    if (!m_dockWindowController)
        m_dockWindowController = HBDockWindowController::controller();

    NVCConfig config;
    config.showsRunAtLoginButton = true;
    config.appRunsAtLogin = HBUserDefaults::standardUserDefaults().startAtLogin();
    config.appStoreID = QStringLiteral("0");
    config.isAppStore = false;
    NVCore::sharedInstance().applicationDidLaunchWithConfig(config);

    if (NVCore::sharedInstance().canShowMainWindow())
        finishLaunchPresentation();
}

void AppDelegate::setupCoreData()
{
    HBObjectStore *store = HBObjectStore::shared();
    if (store->setup())
        return;
    // The file is left exactly as it was; the user hears about it once, here.
    m_presentMessage(QStringLiteral("Kelvora"), store->openErrorMessage());
}

bool AppDelegate::addItemsWithArray(const QStringList &paths)
{
    PasteboardItem *item = PasteboardItem::pasteboardItemWithFilePaths(paths);
    if (!item) {
        QApplication::beep();
        return false;
    }
    QString error;
    if (!item->managedObjectContext()->saveAndWait(&error)) {
        // Nothing half-done stays behind: the unsaved item leaves the context.
        qWarning().noquote() << "DEBUG: Could not save the new item:" << error;
        item->managedObjectContext()->deleteObject(item);
        QApplication::beep();
        return false;
    }
    HBNotificationCenter::defaultCenter()->post(HBNotifications::DidAddItem, item);
    HBFileManager::sharedManager().makeFileForItemIfNeeded(item);
    return true;
}

bool AppDelegate::addFromPasteboard(QClipboard::Mode mode)
{
    // Like the shelf's own drops, but from outside the list: the shelf learns of the item
    // before it is saved, through "HB.didAddItem".
    const bool added = HBPasteboardHelper::sharedHelper().addFromClipboard(mode, [](PasteboardItem *item) {
        HBNotificationCenter::defaultCenter()->post(HBNotifications::DidAddItem, item);
    });
    if (!added)
        QApplication::beep();
    return added;
}

bool AppDelegate::openFiles(const QStringList &paths)
{
    if (paths.isEmpty()) {
        QApplication::beep();
        return false;
    }
    return addItemsWithArray(paths);
}

void AppDelegate::toggleShelf()
{
    if (m_dockWindowController)
        m_dockWindowController->handleHotKeyEvent();
}

void AppDelegate::showHideDockIcon()
{
    const bool listed = HBUserDefaults::standardUserDefaults().showIconInDock();
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *widget : windows) {
        if (representsApplication(widget) && widget->windowHandle())
            X11WindowHints::setSkipTaskbar(widget->windowHandle(), !listed);
    }
    // Windows shown later get the same treatment from the event filter.
    qApp->removeEventFilter(this);
    qApp->installEventFilter(this);
}

bool AppDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (representsApplication(widget) && widget->windowHandle())
            X11WindowHints::setSkipTaskbar(widget->windowHandle(),
                                           !HBUserDefaults::standardUserDefaults().showIconInDock());
    }
    return QObject::eventFilter(watched, event);
}

void AppDelegate::addNVCNotificationObservers()
{
    NVCore &core = NVCore::sharedInstance();
    connect(&core, &NVCore::welcomeWindowDidOpen, this, &AppDelegate::welcomeWindowDidOpen);
    connect(&core, &NVCore::welcomeWindowDidClose, this, &AppDelegate::welcomeWindowDidClose);
    connect(&core, &NVCore::didToggleRunAtLogin, this, &AppDelegate::didToggleRunAtLogin);
}

void AppDelegate::addNotificationObservers()
{
    HBUserDefaults &settings = HBUserDefaults::standardUserDefaults();
    settings.observe(HBSettingsKeys::startAtLogin, this, [this](const QVariant &, const QVariant &) {
        updateNVCRunAtLogin();
    });
    settings.observe(HBSettingsKeys::showIconInDock, this, [this](const QVariant &, const QVariant &) {
        showHideDockIcon();
    });
}

void AppDelegate::updateNVCRunAtLogin()
{
    NVCore::sharedInstance().config().appRunsAtLogin = HBUserDefaults::standardUserDefaults().startAtLogin();
}

void AppDelegate::finishLaunchPresentation()
{
    m_didShow = true;
    showMainWindowIfNeeded();
}

void AppDelegate::showMainWindowIfNeeded()
{
    if (!HBUserDefaults::standardUserDefaults().hideAtStartup())
        openWelcome();
}

void AppDelegate::openWelcome()
{
    if (!NVCore::sharedInstance().canShowMainWindow()) {
        QApplication::beep();
        return;
    }
}

void AppDelegate::welcomeWindowDidOpen()
{
    updateNVCRunAtLogin();
}

void AppDelegate::welcomeWindowDidClose()
{
    finishLaunchPresentation();
}

void AppDelegate::didToggleRunAtLogin(bool enabled)
{
    HBUserDefaults::standardUserDefaults().setStartAtLogin(enabled);
}
