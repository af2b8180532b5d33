// SPDX-License-Identifier: GPL-3.0-or-later
#include "ItemTitles.h"

#include "PasteboardTypes.h"
#include "PropertyList.h"

namespace {

QString trimSpacesAndTabs(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

namespace ItemTitles {

QStringList filesFromData(const QByteArray &data)
{
    QStringList result;
    for (const QString &entry : PropertyList::stringArray(data)) {
        const QString trimmed = trimSpacesAndTabs(entry);
        if (!trimmed.isEmpty())
            result.append(trimmed);
    }
    return result;
}

QString fileNamesFromData(const QByteArray &data)
{
    const QStringList files = filesFromData(data);
    if (files.size() == 1) {
        // The last component, as for a folder written with a trailing slash.
        QString path = files.first();
        while (path.size() > 1 && path.endsWith(u'/'))
            path.chop(1);
        return path == u"/" ? path : path.section(u'/', -1);
    }
    return QStringLiteral("%1 files").arg(files.size());
}

QString titleForType(const QString &type, const QByteArray &data, const Pasteboard *pasteboard)
{
    Q_UNUSED(pasteboard);
    if (type == PasteboardTypes::NSFilenamesPboardType)
        return fileNamesFromData(data);
    return QStringLiteral("File");
}

} // namespace ItemTitles
