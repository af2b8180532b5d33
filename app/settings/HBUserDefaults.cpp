// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBUserDefaults.h"

#include "FileBookmark.h"
#include "HBPaths.h"
#include "XdgAutostart.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFileInfo>
#include <QIODevice>
#include <QSettings>

namespace K = HBSettingsKeys;

namespace {

const QString kLoginHelperIdentifier = QStringLiteral("com.norvale.harbrookhelper");

// The command the autostart entry runs: this program when it is Kelvora itself, else
// whatever `kelvora` the user's PATH finds (tests run under another name).
QString autostartCommand()
{
    const QString self = QCoreApplication::applicationFilePath();
    if (QFileInfo(self).fileName() == QLatin1String("kelvora"))
        return self;
    return QStringLiteral("kelvora");
}

QByteArray archivedColor(const QColor &color)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << color;
    return out.status() == QDataStream::Ok ? data : QByteArray();
}

QColor unarchivedColor(const QVariant &stored)
{
    if (stored.typeId() != QMetaType::QByteArray)
        return {};
    const QByteArray data = stored.toByteArray();
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_4);
    QColor color;
    in >> color;
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return {};
    return color;
}

} // namespace

HBUserDefaults &HBUserDefaults::standardUserDefaults()
{
    // C++ guarantees that concurrent first calls wait for the one construction.
    static HBUserDefaults instance;
    return instance;
}

QList<std::pair<QString, QVariant>> HBUserDefaults::setupDefaults()
{
    return {
        {K::hideAtStartup, false},
        {K::showIconInDock, false},
        {K::isEnabled, true},
        {K::showMenuIcon, true},
        {K::windowPosition, qint64(1)},
        {K::draggingBehavior, qint64(0)},
        {K::removeAfterDrag, true},
        {K::combineIntoStacks, true},
        // Registered as a single-precision number, read as a double.
        {K::windowAlpha, 1.0f},
        {K::hotKeyEnabled, true},
        {K::dragOperation, qint64(0)},
        {K::automaticallyShowWindow, true},
    };
}

HBUserDefaults::HBUserDefaults()
    : m_settings(std::make_unique<QSettings>(HBPaths::settingsFile(), QSettings::IniFormat))
{
    populateProperties();
}

HBUserDefaults::~HBUserDefaults() = default;

void HBUserDefaults::populateProperties()
{
    setHotKeyCombo({quint64(integerValue(K::hotKeyModifier)), integerValue(K::hotKeyCode)});
    // The value held in memory starts as false, so a stored true writes the autostart
    // entry again at every start: an entry removed behind our back comes back.
    setStartAtLogin(boolValue(K::startAtLogin));
    m_windowColor = unarchivedColor(m_settings->value(K::windowColor));
    if (!m_windowColor.isValid())
        m_windowColor = defaultWindowColor();
}

QVariant HBUserDefaults::registeredDefault(const QString &key) const
{
    static const QList<std::pair<QString, QVariant>> defaults = setupDefaults();
    for (const auto &[name, value] : defaults) {
        if (name == key)
            return value;
    }
    return {};
}

QVariant HBUserDefaults::value(const QString &key) const
{
    return m_settings->value(key, registeredDefault(key));
}

void HBUserDefaults::setValue(const QString &key, const QVariant &newValue)
{
    const QVariant oldValue = value(key);
    if (newValue.isValid())
        m_settings->setValue(key, newValue);
    else
        m_settings->remove(key);
    Q_EMIT changed(key, oldValue, value(key));
}

void HBUserDefaults::synchronize()
{
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        qWarning().noquote() << "DEBUG: Could not write the settings to" << m_settings->fileName();
}

bool HBUserDefaults::boolValue(const QString &key) const
{
    // The INI file keeps "true"/"false" as text; QVariant reads both forms.
    return value(key).toBool();
}

qint64 HBUserDefaults::integerValue(const QString &key) const
{
    return value(key).toLongLong();
}

// clang-format off
bool HBUserDefaults::hideAtStartup() const { return boolValue(K::hideAtStartup); }
void HBUserDefaults::setHideAtStartup(bool value) { setValue(K::hideAtStartup, value); }
bool HBUserDefaults::showIconInDock() const { return boolValue(K::showIconInDock); }
void HBUserDefaults::setShowIconInDock(bool value) { setValue(K::showIconInDock, value); }
bool HBUserDefaults::isEnabled() const { return boolValue(K::isEnabled); }
void HBUserDefaults::setIsEnabled(bool value) { setValue(K::isEnabled, value); }
bool HBUserDefaults::showMenuIcon() const { return boolValue(K::showMenuIcon); }
void HBUserDefaults::setShowMenuIcon(bool value) { setValue(K::showMenuIcon, value); }
qint64 HBUserDefaults::windowPosition() const { return integerValue(K::windowPosition); }
void HBUserDefaults::setWindowPosition(qint64 value) { setValue(K::windowPosition, value); }
qint64 HBUserDefaults::draggingBehavior() const { return integerValue(K::draggingBehavior); }
void HBUserDefaults::setDraggingBehavior(qint64 value) { setValue(K::draggingBehavior, value); }
bool HBUserDefaults::removeAfterDrag() const { return boolValue(K::removeAfterDrag); }
void HBUserDefaults::setRemoveAfterDrag(bool value) { setValue(K::removeAfterDrag, value); }
bool HBUserDefaults::combineIntoStacks() const { return boolValue(K::combineIntoStacks); }
void HBUserDefaults::setCombineIntoStacks(bool value) { setValue(K::combineIntoStacks, value); }
double HBUserDefaults::windowAlpha() const { return value(K::windowAlpha).toDouble(); }
void HBUserDefaults::setWindowAlpha(double value) { setValue(K::windowAlpha, value); }
bool HBUserDefaults::hotKeyEnabled() const { return boolValue(K::hotKeyEnabled); }
void HBUserDefaults::setHotKeyEnabled(bool value) { setValue(K::hotKeyEnabled, value); }
qint64 HBUserDefaults::dragOperation() const { return integerValue(K::dragOperation); }
void HBUserDefaults::setDragOperation(qint64 value) { setValue(K::dragOperation, value); }
bool HBUserDefaults::automaticallyShowWindow() const { return boolValue(K::automaticallyShowWindow); }
void HBUserDefaults::setAutomaticallyShowWindow(bool value) { setValue(K::automaticallyShowWindow, value); }
qint64 HBUserDefaults::windowHidingBehavior() const { return integerValue(K::windowHidingBehavior); }
void HBUserDefaults::setWindowHidingBehavior(qint64 value) { setValue(K::windowHidingBehavior, value); }
bool HBUserDefaults::suppressRemoveAllAlert() const { return boolValue(K::suppressRemoveAllAlert); }
void HBUserDefaults::setSuppressRemoveAllAlert(bool value) { setValue(K::suppressRemoveAllAlert, value); }
bool HBUserDefaults::disableAnimations() const { return boolValue(K::disableAnimations); }
void HBUserDefaults::setDisableAnimations(bool value) { setValue(K::disableAnimations, value); }
bool HBUserDefaults::automaticallyAddScreenshots() const { return boolValue(K::automaticallyAddScreenshots); }
void HBUserDefaults::setAutomaticallyAddScreenshots(bool value) { setValue(K::automaticallyAddScreenshots, value); }
// clang-format on

QVariantList HBUserDefaults::blacklistedApps() const
{
    return value(K::blacklistedApps).toList();
}

void HBUserDefaults::setBlacklistedApps(const QVariantList &value)
{
    setValue(K::blacklistedApps, value.isEmpty() ? QVariant() : QVariant(value));
}

void HBUserDefaults::setHotKeyCombo(const HBKeyCombo &combo)
{
    const HBKeyCombo old = m_hotKeyCombo;
    m_hotKeyCombo = combo;
    m_settings->setValue(K::hotKeyCode, combo.keyCode);
    m_settings->setValue(K::hotKeyModifier, qint64(combo.modifierFlags));
    synchronize();
    Q_EMIT changed(K::hotKeyCombo, QVariant::fromValue(old), QVariant::fromValue(combo));
}

void HBUserDefaults::setStartAtLogin(bool value)
{
    if (value == m_startAtLogin)
        return;
    m_startAtLogin = value;
    m_settings->setValue(K::startAtLogin, value);
    // The stored value keeps what the user chose even when the entry can't be written.
    if (XdgAutostart::setEnabled(kLoginHelperIdentifier, value, autostartCommand()))
        qInfo().noquote() << QStringLiteral("DEBUG: %1 %2").arg(value ? QStringLiteral("Added") : QStringLiteral("Removed"), kLoginHelperIdentifier);
    else
        qWarning().noquote() << QStringLiteral("DEBUG: Could not %1 %2 to the login items")
                                    .arg(value ? QStringLiteral("add") : QStringLiteral("remove"), kLoginHelperIdentifier);
    Q_EMIT changed(K::startAtLogin, !value, value);
}

QColor HBUserDefaults::defaultWindowColor()
{
    return QColor::fromRgbF(0.1647f, 0.1843f, 0.2667f, 1.0f);
}

QColor HBUserDefaults::windowColor() const
{
    return m_windowColor.isValid() ? m_windowColor : defaultWindowColor();
}

void HBUserDefaults::setWindowColor(const QColor &color)
{
    const QColor old = windowColor();
    m_windowColor = color;
    if (color.isValid()) {
        const QByteArray data = archivedColor(color);
        if (data.isEmpty())
            m_settings->remove(K::windowColor);
        else
            m_settings->setValue(K::windowColor, data);
    }
    Q_EMIT changed(K::windowColor, old, windowColor());
}

QUrl HBUserDefaults::desktopURL()
{
    if (!m_desktopURL.isEmpty())
        return m_desktopURL;
    const QByteArray bookmark = m_settings->value(K::desktopBookmarkData).toByteArray();
    if (bookmark.isEmpty())
        return {};
    const FileBookmark::Resolution resolved = FileBookmark::resolve(bookmark);
    if (!resolved.error.isEmpty()) {
        qWarning().noquote() << QStringLiteral("[DEBUG] Could not resolve bookmark data (Home) because of error: %1")
                                    .arg(resolved.error);
        return {};
    }
    if (resolved.stale)
        return {};
    m_desktopURL = QUrl::fromLocalFile(resolved.path);
    return m_desktopURL;
}

void HBUserDefaults::setDesktopURL(const QUrl &url)
{
    m_desktopURL = url;
    if (url.isEmpty())
        return;
    const QByteArray bookmark = FileBookmark::create(url.toLocalFile());
    if (!bookmark.isEmpty()) {
        m_settings->setValue(K::desktopBookmarkData, bookmark);
        synchronize();
    }
}
