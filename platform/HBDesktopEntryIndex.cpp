// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDesktopEntryIndex.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

#include <sys/stat.h>

namespace {

const QString applicationsFolder = QStringLiteral("/applications");
const QString desktopSuffix = QStringLiteral(".desktop");

// The desktop-entry format's escapes in string values: \s \n \t \r \\.
QString unescaped(const QString &value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 == value.size()) {
            result += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            result += u' ';
            break;
        case 'n':
            result += u'\n';
            break;
        case 't':
            result += u'\t';
            break;
        case 'r':
            result += u'\r';
            break;
        default:
            result += next;
        }
    }
    return result;
}

// The keys to try for a localestring, most specific first ("Localized values for keys"):
// lang_COUNTRY@MODIFIER, lang_COUNTRY, lang@MODIFIER, lang.
QStringList localeSuffixes(const QString &locale)
{
    QString rest = locale;
    QString modifier;
    if (const qsizetype at = rest.indexOf(u'@'); at >= 0) {
        modifier = rest.mid(at + 1);
        rest.truncate(at);
    }
    if (const qsizetype dot = rest.indexOf(u'.'); dot >= 0)
        rest.truncate(dot);
    QString language = rest;
    QString country;
    if (const qsizetype underscore = rest.indexOf(u'_'); underscore >= 0) {
        language = rest.left(underscore);
        country = rest.mid(underscore + 1);
    }
    if (language.isEmpty() || language == QLatin1String("C") || language == QLatin1String("POSIX"))
        return {};
    QStringList suffixes;
    if (!country.isEmpty() && !modifier.isEmpty())
        suffixes << language + u'_' + country + u'@' + modifier;
    if (!country.isEmpty())
        suffixes << language + u'_' + country;
    if (!modifier.isEmpty())
        suffixes << language + u'@' + modifier;
    suffixes << language;
    return suffixes;
}

bool isTrue(const QString &value)
{
    return value.trimmed() == QLatin1String("true");
}

} // namespace

HBDesktopEntryIndex::HBDesktopEntryIndex()
    : HBDesktopEntryIndex(standardDataDirectories(), messagesLocale())
{ }

HBDesktopEntryIndex::HBDesktopEntryIndex(const QStringList &dataDirectories, const QString &locale)
    : m_dataDirectories(dataDirectories)
    , m_locale(locale)
{
    load();
}

QStringList HBDesktopEntryIndex::standardDataDirectories()
{
    // XDG base-directory rules: relative entries are invalid and ignored.
    const auto absolute = [](const QString &path) { return !path.isEmpty() && QDir::isAbsolutePath(path); };
    QStringList directories;
    const QString home = qEnvironmentVariable("XDG_DATA_HOME");
    directories << (absolute(home) ? home : QDir::homePath() + QStringLiteral("/.local/share"));
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &dir : dirs.split(u':', Qt::SkipEmptyParts)) {
        if (absolute(dir))
            directories << dir;
    }
    for (QString &dir : directories)
        dir = QDir::cleanPath(dir);
    directories.removeDuplicates();
    return directories;
}

QString HBDesktopEntryIndex::messagesLocale()
{
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

std::optional<HBDesktopEntryIndex::Entry> HBDesktopEntryIndex::parse(
    const QByteArray &contents, const QString &locale)
{
    QHash<QString, QString> values;
    bool inMainGroup = false;
    for (const QByteArray &rawLine : contents.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            // Only the first group may be [Desktop Entry]; later ones are actions.
            if (inMainGroup)
                break;
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            if (!inMainGroup)
                return std::nullopt;
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        // The first occurrence of a key counts.
        if (!values.contains(key))
            values.insert(key, unescaped(line.mid(equals + 1).trimmed()));
    }
    if (!inMainGroup || values.value(QStringLiteral("Type")) != QLatin1String("Application")
        || isTrue(values.value(QStringLiteral("Hidden"))))
        return std::nullopt;

    Entry entry;
    entry.name = values.value(QStringLiteral("Name"));
    for (const QString &suffix : localeSuffixes(locale)) {
        const auto localized = values.constFind(QStringLiteral("Name[") + suffix + u']');
        if (localized != values.constEnd() && !localized->isEmpty()) {
            entry.name = *localized;
            break;
        }
    }
    entry.icon = values.value(QStringLiteral("Icon"));
    entry.startupWMClass = values.value(QStringLiteral("StartupWMClass"));
    return entry;
}

void HBDesktopEntryIndex::load()
{
    m_entries.clear();
    m_folders.clear();
    for (const QString &dataDirectory : std::as_const(m_dataDirectories)) {
        const QString root = dataDirectory + applicationsFolder;
        m_folders << root;
        QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            m_folders << it.next();
    }
    // Taken before the files are read, so that a change while reading shows next time.
    m_folderStates = folderStates();
    QSet<QString> seenIds;
    for (const QString &dataDirectory : std::as_const(m_dataDirectories)) {
        const QString root = dataDirectory + applicationsFolder;
        QList<std::pair<QString, QString>> files; // id, path
        QDirIterator it(
            root, {QStringLiteral("*.desktop")}, QDir::Files | QDir::Readable, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = QDir(root).relativeFilePath(path);
            id.chop(desktopSuffix.size());
            id.replace(u'/', u'-');
            files.append({id, path});
        }
        std::sort(files.begin(), files.end());
        for (const auto &[id, path] : std::as_const(files)) {
            // An id seen in an earlier directory hides this one, even when the earlier
            // file was Hidden or no application: that is how users remove entries.
            if (seenIds.contains(id))
                continue;
            seenIds.insert(id);
            QFile file(path);
            // A desktop file is small; anything huge is not one, and is not read whole.
            if (file.size() > 1024 * 1024 || !file.open(QIODevice::ReadOnly))
                continue;
            if (auto entry = parse(file.readAll(), m_locale)) {
                entry->id = id;
                entry->path = path;
                m_entries.append(*entry);
            }
        }
    }
}

QHash<QString, QString> HBDesktopEntryIndex::folderStates() const
{
    // A folder's modification time changes when a file in it is added, removed or renamed
    // into place (as package managers install), and a new subfolder changes its parent's:
    // the folders seen at loading suffice, each asked with one stat() and nanoseconds.
    QHash<QString, QString> states;
    for (const QString &folder : m_folders) {
        struct stat info
        {
        };
        if (::stat(QFile::encodeName(folder).constData(), &info) != 0) {
            states.insert(folder, QString());
            continue;
        }
        states.insert(folder,
            QString::number(info.st_mtim.tv_sec) + u'.' + QString::number(info.st_mtim.tv_nsec) + u'/'
                + QString::number(info.st_ino));
    }
    return states;
}

void HBDesktopEntryIndex::reloadIfChanged()
{
    if (folderStates() != m_folderStates)
        load();
}

std::optional<HBDesktopEntryIndex::Entry> HBDesktopEntryIndex::entryForWindowClass(
    const QString &instanceName, const QString &className) const
{
    QStringList names;
    for (const QString &name : {className, instanceName}) {
        if (!name.isEmpty() && !names.contains(name, Qt::CaseInsensitive))
            names << name;
    }
    if (names.isEmpty())
        return std::nullopt;
    const auto equal
        = [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; };
    for (const QString &name : std::as_const(names)) {
        for (const Entry &entry : m_entries) {
            if (equal(entry.startupWMClass, name))
                return entry;
        }
    }
    for (const QString &name : std::as_const(names)) {
        for (const Entry &entry : m_entries) {
            if (equal(entry.id, name))
                return entry;
        }
    }
    // Reverse-DNS ids ("org.kde.dolphin") for programs whose class is the last part.
    for (const QString &name : std::as_const(names)) {
        for (const Entry &entry : m_entries) {
            if (entry.id.endsWith(u'.' + name, Qt::CaseInsensitive))
                return entry;
        }
    }
    return std::nullopt;
}

std::optional<HBDesktopEntryIndex::Entry> HBDesktopEntryIndex::entryWithId(const QString &id) const
{
    for (const Entry &entry : m_entries) {
        if (entry.id == id)
            return entry;
    }
    return std::nullopt;
}

QIcon HBDesktopEntryIndex::iconFor(const QString &iconValue, const QStringList &dataDirectories)
{
    if (iconValue.isEmpty())
        return {};
    if (QDir::isAbsolutePath(iconValue))
        return QFileInfo(iconValue).isFile() ? QIcon(iconValue) : QIcon();
    // Icon themes take a name, never a path; some entries still carry an extension.
    QString name = iconValue;
    for (const char *extension : {".png", ".svg", ".xpm"}) {
        if (name.endsWith(QLatin1String(extension)))
            name.chop(4);
    }
    if (name.contains(u'/'))
        return {};
    QIcon icon = QIcon::fromTheme(name);
    if (!icon.isNull())
        return icon;
    // The icon-theme lookup's last fallback, /usr/share/pixmaps, and its siblings.
    for (const QString &dataDirectory : dataDirectories) {
        for (const char *extension : {".png", ".svg", ".xpm"}) {
            const QString path
                = dataDirectory + QStringLiteral("/pixmaps/") + name + QLatin1String(extension);
            if (QFileInfo(path).isFile())
                return QIcon(path);
        }
    }
    return {};
}
