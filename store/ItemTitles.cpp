// SPDX-License-Identifier: GPL-3.0-or-later
#include "ItemTitles.h"

#include "HTMLImageSource.h"
#include "Pasteboard.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"
#include "RtfText.h"

#include <QLoggingCategory>
#include <QStringDecoder>
#include <QUrl>
#include <QtEndian>

#include <array>

Q_LOGGING_CATEGORY(lcItemTitles, "kelvora.store.titles")

namespace {

// Unknown representations are logged with their bytes; a dropped file can be hundreds of
// megabytes, so only its start goes to the log.
constexpr qsizetype kLoggedBytes = 256;

QByteArray describeData(const QByteArray &data)
{
    if (data.size() <= kLoggedBytes)
        return '<' + data.toHex() + '>';
    return "{length = " + QByteArray::number(data.size()) + ", bytes = 0x" + data.first(kLoggedBytes).toHex()
        + "...}";
}

// Cuts after `length` UTF-16 units without splitting a surrogate pair.
QString leftUnits(QString text, qsizetype length)
{
    if (text.size() <= length)
        return text;
    text.truncate(length);
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

bool isSpaceOrTab(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimSpacesAndTabs(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpaceOrTab(text.at(begin)))
        ++begin;
    while (end > begin && isSpaceOrTab(text.at(end - 1)))
        --end;
    return text.sliced(begin, end - begin);
}

} // namespace

namespace ItemTitles {

QStringList filesFromData(const QByteArray &data)
{
    QStringList files;
    for (const QString &entry : PropertyList::stringArray(data)) {
        const QString trimmed = trimSpacesAndTabs(entry);
        if (!trimmed.isEmpty())
            files.append(trimmed);
    }
    return files;
}

QString fileNamesFromData(const QByteArray &data)
{
    const QStringList files = filesFromData(data);
    if (files.size() == 1)
        return lastPathComponent(files.constFirst());
    return QStringLiteral("%1 files").arg(files.size());
}

QString lastPathComponent(const QString &path)
{
    qsizetype end = path.size();
    while (end > 0 && path.at(end - 1) == u'/')
        --end;
    if (end == 0)
        return path.isEmpty() ? path : QStringLiteral("/");
    const qsizetype slash = path.lastIndexOf(u'/', end - 1);
    return path.sliced(slash + 1, end - slash - 1);
}

QString titleFromChromiumHTMLData(const QByteArray &data)
{
    const HTMLImageSource::Result image = HTMLImageSource::firstImageSource(data);
    const QString source = image.value.trimmed();
    if (image.status != HTMLImageSource::Status::Found || source.isEmpty())
        return kImageTitle;
    const QUrl url(source, QUrl::StrictMode);
    if (!url.isValid())
        return {};
    // An inline picture (data: URL) carries its bytes where a name would be; a title made of
    // them would be both meaningless and as large as the picture.
    if (url.scheme().compare(u"data", Qt::CaseInsensitive) == 0)
        return kImageTitle;
    const QString name = lastPathComponent(url.path(QUrl::FullyDecoded));
    if (name.isEmpty() || name == u"/")
        return kImageTitle;
    return name;
}

QString titleFromWebLocData(const QByteArray &data)
{
    const QVariant plist = PropertyList::fromData(data);
    if (plist.typeId() != QMetaType::QVariantList)
        return {};
    const QVariantList lists = plist.toList();
    if (lists.isEmpty())
        return {};
    const auto firstString = [](const QVariant &value) -> QString {
        if (value.typeId() != QMetaType::QVariantList)
            return {};
        const QVariantList list = value.toList();
        if (list.isEmpty() || list.constFirst().typeId() != QMetaType::QString)
            return {};
        return list.constFirst().toString();
    };
    const QString url = firstString(lists.constFirst());
    const QString title = lists.size() > 1 ? firstString(lists.constLast()) : url;
    // A page without a title would leave the item unnamed; its address names it instead.
    if (title.isEmpty())
        return url.isEmpty() ? QString() : url;
    return title;
}

std::optional<QString> titleFromText(const QByteArray &data)
{
    if (data.isNull())
        return std::nullopt;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(data);
    if (decoder.hasError())
        return std::nullopt;
    text.remove(u'\n');
    return leftUnits(std::move(text), kTextTitleLength).trimmed();
}

std::optional<QString> titleFromRichText(const QByteArray &data)
{
    std::optional<QString> text = RtfText::plainText(data, kTextTitleLength);
    if (!text)
        return std::nullopt;
    return leftUnits(std::move(*text), kTextTitleLength).trimmed();
}

QString titleFromColorData(const QByteArray &data)
{
    std::array<int, 3> components{0, 0, 0};
    if (data.size() == 8) {
        for (size_t i = 0; i < components.size(); ++i) {
            const quint16 value = qFromUnaligned<quint16>(data.constData() + 2 * i);
            // value / 65535 × 255, truncated toward zero, in exact integer arithmetic.
            components[i] = int(quint32(value) * 255u / 65535u);
        }
    }
    return QStringLiteral("#%1%2%3")
        .arg(components[0], 2, 16, QChar(u'0'))
        .arg(components[1], 2, 16, QChar(u'0'))
        .arg(components[2], 2, 16, QChar(u'0'))
        .toUpper();
}

std::optional<QString> titleFromPasteboard(const Pasteboard *pasteboard)
{
    if (!pasteboard)
        return std::nullopt;
    const QByteArray urls = pasteboard->dataForType(PasteboardTypes::NSURLPboardType);
    if (!urls.isEmpty())
        return fileNamesFromData(urls);
    const QByteArray text = pasteboard->dataForType(PasteboardTypes::NSStringPboardType);
    if (!text.isEmpty())
        return titleFromText(text);
    return std::nullopt;
}

QString titleForType(const QString &type, const QByteArray &data, const Pasteboard *pasteboard)
{
    namespace T = PasteboardTypes;
    std::optional<QString> title;
    if (type == T::NSFilenamesPboardType) {
        title = fileNamesFromData(data);
    } else if (type == T::ChromiumImageHTML) {
        const QString name = titleFromChromiumHTMLData(data);
        if (!name.isNull())
            title = name;
    } else if (type == T::WebURLsWithTitlesPboardType) {
        const QString name = titleFromWebLocData(data);
        if (!name.isNull())
            title = name;
    } else if (type == T::NSURLPboardType) {
        title = fileNamesFromData(data);
    } else if (type == T::NSStringPboardType) {
        title = titleFromText(data);
    } else if (type == T::NSRTFPboardType || type == T::NSRTFDPboardType) {
        title = titleFromRichText(data);
    } else if (type == T::NSVCardPboardType) {
        qCInfo(lcItemTitles, "Unsupported!");
    } else if (type == T::NSColorPboardType) {
        title = titleFromColorData(data);
    } else if (type == T::NSFontPboardType) {
        title = QString(kFontTitle);
    } else if (type == T::NSTIFFPboardType || type == T::NSHTMLPboardType) {
        title = titleFromPasteboard(pasteboard);
    } else {
        qCWarning(lcItemTitles, "Not able to gen title: %s", qUtf8Printable(type));
        qCWarning(lcItemTitles, "%s", describeData(data).constData());
    }
    if (!title)
        return kFallbackTitle;
    // An empty title is a title; callers tell "none" by a null string, so never give one.
    return title->isNull() ? QStringLiteral("") : *title;
}

} // namespace ItemTitles
