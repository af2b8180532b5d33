// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>
#include <QVariant>

#include <memory>

class HBBlacklistedApp;
/// Entries are shared: the exception list finds an entry to remove by identity.
using HBBlacklistedAppPtr = std::shared_ptr<HBBlacklistedApp>;

/// One application on the exception list: its name and identifier when it was added, and
/// its icon, kept as a PNG file in HBPaths::appIconsDirectory() so that the list can show
/// it while the application is not running.
class HBBlacklistedApp
{
public:
    /// The keys of the record form.
    static const QString nameKey;
    static const QString bundleKey;
    static const QString iconPathKey;

    /// A new entry; writes its icon file at once (saveIcon), which sets iconPath().
    static HBBlacklistedAppPtr appWithName(const QString &name, const QString &bundle, const QImage &icon);
    /// An entry from its record, with the icon read from the record's iconPath. Writes
    /// nothing. A missing or non-text value reads as empty; anything but a dictionary
    /// gives an entry whose values are all empty.
    static HBBlacklistedAppPtr appWithDictionary(const QVariant &record);

    /// Writes icon() as PNG to iconFileForBundle(bundle()), replacing an older file, and
    /// sets iconPath() to that path whether or not the write succeeded.
    void saveIcon();
    /// The record form: "name", "bundle" and "iconPath", always all three, as strings.
    QVariantMap dictionaryValue() const;

    /// The icon file for an identifier: "<identifier>.png" in the icons folder. An
    /// identifier that could leave the folder or hide the file ('/', a leading '.', '%',
    /// NUL, or none at all) is percent-encoded, so that every identifier has a file of
    /// its own inside the folder.
    static QString iconFileForBundle(const QString &bundle);

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QString bundle() const { return m_bundle; }
    void setBundle(const QString &bundle) { m_bundle = bundle; }
    QImage icon() const { return m_icon; }
    void setIcon(const QImage &icon) { m_icon = icon; }
    QString iconPath() const { return m_iconPath; }
    void setIconPath(const QString &iconPath) { m_iconPath = iconPath; }

private:
    QString m_name;
    QString m_bundle;
    QImage m_icon;
    QString m_iconPath;
};
