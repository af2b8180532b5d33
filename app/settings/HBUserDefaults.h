// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBKeyCombo.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <memory>
#include <utility>

class QSettings;

/// The settings' keys, as stored and as announced by HBUserDefaults::changed().
namespace HBSettingsKeys {
inline const QString hideAtStartup = QStringLiteral("hideAtStartup");
inline const QString showIconInDock = QStringLiteral("showIconInDock");
inline const QString isEnabled = QStringLiteral("isEnabled");
inline const QString showMenuIcon = QStringLiteral("showMenuIcon");
inline const QString windowPosition = QStringLiteral("windowPosition");
inline const QString draggingBehavior = QStringLiteral("draggingBehavior");
inline const QString removeAfterDrag = QStringLiteral("removeAfterDrag");
inline const QString combineIntoStacks = QStringLiteral("combineIntoStacks");
inline const QString windowAlpha = QStringLiteral("windowAlpha");
inline const QString hotKeyEnabled = QStringLiteral("hotKeyEnabled");
inline const QString dragOperation = QStringLiteral("dragOperation");
inline const QString automaticallyShowWindow = QStringLiteral("automaticallyShowWindow");
inline const QString windowHidingBehavior = QStringLiteral("windowHidingBehavior");
inline const QString blacklistedApps = QStringLiteral("blacklistedApps");
inline const QString suppressRemoveAllAlert = QStringLiteral("suppressRemoveAllAlert");
inline const QString disableAnimations = QStringLiteral("disableAnimations");
inline const QString automaticallyAddScreenshots = QStringLiteral("automaticallyAddScreenshots");
inline const QString startAtLogin = QStringLiteral("startAtLogin");
inline const QString hotKeyCode = QStringLiteral("hotKeyCode");
inline const QString hotKeyModifier = QStringLiteral("hotKeyModifier");
inline const QString hotKeyCombo = QStringLiteral("hotKeyCombo");
inline const QString windowColor = QStringLiteral("windowColor");
inline const QString desktopBookmarkData = QStringLiteral("desktopBookmarkData");
} // namespace HBSettingsKeys

/// Kelvora's settings, kept in $XDG_CONFIG_HOME/Kelvora/Kelvora.conf under their own names.
/// Registered defaults answer for absent keys; every change made through this object is
/// announced by changed() with the key, the old and the new value. Changes written to the
/// file by other means are not announced. Main thread only.
class HBUserDefaults final : public QObject
{
    Q_OBJECT

public:
    /// The one shared instance, created on first use.
    static HBUserDefaults &standardUserDefaults();

    /// The registered defaults, in registration order.
    static QList<std::pair<QString, QVariant>> setupDefaults();

    ~HBUserDefaults() override;

    /// Any key: the stored value, else its registered default, else an invalid QVariant.
    QVariant value(const QString &key) const;
    /// Stores a value (an invalid QVariant removes the key) and announces the change.
    void setValue(const QString &key, const QVariant &value);
    /// Writes pending changes to disk.
    void synchronize();

    bool hideAtStartup() const;
    void setHideAtStartup(bool value);
    bool showIconInDock() const;
    void setShowIconInDock(bool value);
    bool isEnabled() const;
    void setIsEnabled(bool value);
    bool showMenuIcon() const;
    void setShowMenuIcon(bool value);
    qint64 windowPosition() const;
    void setWindowPosition(qint64 value);
    qint64 draggingBehavior() const;
    void setDraggingBehavior(qint64 value);
    bool removeAfterDrag() const;
    void setRemoveAfterDrag(bool value);
    bool combineIntoStacks() const;
    void setCombineIntoStacks(bool value);
    double windowAlpha() const;
    void setWindowAlpha(double value);
    bool hotKeyEnabled() const;
    void setHotKeyEnabled(bool value);
    qint64 dragOperation() const;
    void setDragOperation(qint64 value);
    bool automaticallyShowWindow() const;
    void setAutomaticallyShowWindow(bool value);
    qint64 windowHidingBehavior() const;
    void setWindowHidingBehavior(qint64 value);
    /// The exception list's records; empty when absent. Setting an empty list removes the key.
    QVariantList blacklistedApps() const;
    void setBlacklistedApps(const QVariantList &value);
    bool suppressRemoveAllAlert() const;
    void setSuppressRemoveAllAlert(bool value);
    bool disableAnimations() const;
    void setDisableAnimations(bool value);
    bool automaticallyAddScreenshots() const;
    void setAutomaticallyAddScreenshots(bool value);

    /// Stored as "hotKeyCode" and "hotKeyModifier"; announced as "hotKeyCombo".
    HBKeyCombo hotKeyCombo() const { return m_hotKeyCombo; }
    void setHotKeyCombo(const HBKeyCombo &combo);

    /// Run at login through the XDG autostart entry "com.norvale.harbrookhelper".
    bool startAtLogin() const { return m_startAtLogin; }
    void setStartAtLogin(bool value);

    /// The shelf's background colour; the default colour when none or an unreadable one is stored.
    QColor windowColor() const;
    /// Stores the colour; an invalid colour clears only the value held in memory.
    void setWindowColor(const QColor &color);
    static QColor defaultWindowColor();

    /// A folder kept by bookmark under "desktopBookmarkData"; empty when none resolves.
    QUrl desktopURL();
    void setDesktopURL(const QUrl &url);

    /// Calls `slot(oldValue, newValue)` on `context` whenever `key` changes through this object.
    template<typename Slot>
    QMetaObject::Connection observe(const QString &key, const QObject *context, Slot slot)
    {
        return connect(this, &HBUserDefaults::changed, context,
                       [key, slot](const QString &changedKey, const QVariant &oldValue, const QVariant &newValue) {
                           if (changedKey == key)
                               slot(oldValue, newValue);
                       });
    }

Q_SIGNALS:
    void changed(const QString &key, const QVariant &oldValue, const QVariant &newValue);

private:
    HBUserDefaults();
    void populateProperties();
    QVariant registeredDefault(const QString &key) const;
    bool boolValue(const QString &key) const;
    qint64 integerValue(const QString &key) const;

    std::unique_ptr<QSettings> m_settings;
    HBKeyCombo m_hotKeyCombo;
    bool m_startAtLogin = false;
    QColor m_windowColor;
    QUrl m_desktopURL;
};
