// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileBookmark.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>

#include <sys/stat.h>

namespace {

constexpr quint32 kMagic = 0x4b56424d; // "KVBM"
constexpr quint16 kVersion = 1;

struct Identity
{
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const Identity &) const = default;
};

bool identityOf(const QString &path, Identity &identity)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    identity = {quint64(info.st_dev), quint64(info.st_ino)};
    return true;
}

} // namespace

namespace FileBookmark {

QByteArray create(const QString &path)
{
    Identity identity;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!identityOf(absolute, identity))
        return {};
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kMagic << kVersion << absolute << identity.device << identity.inode;
    return data;
}

Resolution resolve(const QByteArray &bookmark)
{
    QDataStream in(bookmark);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    quint16 version = 0;
    QString path;
    Identity recorded;
    in >> magic >> version >> path >> recorded.device >> recorded.inode;
    if (in.status() != QDataStream::Ok || magic != kMagic || version != kVersion || path.isEmpty())
        return {{}, false, QStringLiteral("The bookmark data is not readable.")};

    Identity current;
    if (identityOf(path, current) && current == recorded)
        return {path, false, {}};

    const QDir folder = QFileInfo(path).absoluteDir();
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        const QString candidate = folder.absoluteFilePath(entry);
        if (identityOf(candidate, current) && current == recorded)
            return {candidate, true, {}};
    }
    return {{}, false, QStringLiteral("The file \"%1\" no longer exists.").arg(path)};
}

} // namespace FileBookmark
