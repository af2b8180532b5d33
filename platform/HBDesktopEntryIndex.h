// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

/// The installed applications' .desktop entries, as the freedesktop desktop-entry
/// format lays them out, with the match from a window's WM_CLASS to its entry.
/// Reads the folders once and again only when one of them has changed.
class HBDesktopEntryIndex
{
public:
    struct Entry
    {
        /// The desktop file id without ".desktop": the path below applications/ with
        /// '/' turned into '-' ("org.kde.dolphin", "kde4-kate").
        QString id;
        QString path;
        /// Name in the index's locale.
        QString name;
        /// The Icon value: a theme icon name or an absolute path.
        QString icon;
        QString startupWMClass;
    };

    /// Uses standardDataDirectories() and the user's message locale.
    HBDesktopEntryIndex();
    /// `dataDirectories` in precedence order, each holding an applications/ folder;
    /// `locale` as in LC_MESSAGES ("de_DE.UTF-8@euro", "C" or empty for untranslated).
    HBDesktopEntryIndex(const QStringList &dataDirectories, const QString &locale);

    /// $XDG_DATA_HOME (default ~/.local/share), then $XDG_DATA_DIRS (default
    /// /usr/local/share:/usr/share), read from the environment now.
    static QStringList standardDataDirectories();
    /// LC_ALL, else LC_MESSAGES, else LANG.
    static QString messagesLocale();

    /// The entry of the application whose window has this WM_CLASS: first an entry whose
    /// StartupWMClass equals the class (else the instance) name, then one whose id does,
    /// then one whose id ends in ".<name>"; every comparison ignores case. Earlier data
    /// directories win; within one, ids in sorted order.
    std::optional<Entry> entryForWindowClass(const QString &instanceName, const QString &className) const;
    std::optional<Entry> entryWithId(const QString &id) const;
    QList<Entry> entries() const { return m_entries; }

    /// Reads the folders again when a file was added, removed or replaced in one of them.
    void reloadIfChanged();

    /// The [Desktop Entry] group of a .desktop file's contents; none for a file that isn't
    /// an application or is marked Hidden. `id` and `path` are left empty.
    static std::optional<Entry> parse(const QByteArray &contents, const QString &locale);
    /// The icon for an Icon value: a file for an absolute path, else the icon theme, else
    /// the pixmaps folders of `dataDirectories`; a null icon when none is found.
    static QIcon iconFor(const QString &iconValue, const QStringList &dataDirectories);
    QIcon iconFor(const Entry &entry) const { return iconFor(entry.icon, m_dataDirectories); }

private:
    void load();
    QHash<QString, QString> folderStates() const;

    QStringList m_dataDirectories;
    QString m_locale;
    QList<Entry> m_entries;
    /// Every applications folder and subfolder seen at the last loading.
    QStringList m_folders;
    QHash<QString, QString> m_folderStates;
};
