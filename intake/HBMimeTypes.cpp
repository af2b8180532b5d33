// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBMimeTypes.h"

#include "PasteboardTypes.h"
#include "PropertyList.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <QtEndian>

#include <optional>

namespace HBMimeTypes {

namespace {

namespace T = PasteboardTypes;

/// The format as the source spells it, matched without regard to case (X11 programs
/// differ in "charset=UTF-8" versus "charset=utf-8").
QString findFormat(const QStringList &formats, QLatin1StringView name)
{
    for (const QString &format : formats) {
        if (format.compare(name, Qt::CaseInsensitive) == 0)
            return format;
    }
    return {};
}

class Reader
{
public:
    Reader(const QMimeData &mime, QHash<QString, QByteArray> &cache)
        : m_mime(mime)
        , m_cache(cache)
        , m_formats(mime.formats())
    { }

    const QStringList &formats() const { return m_formats; }
    QString find(QLatin1StringView name) const { return findFormat(m_formats, name); }

    QByteArray fetch(const QString &format)
    {
        auto it = m_cache.constFind(format);
        if (it != m_cache.constEnd())
            return *it;
        const QByteArray bytes = m_mime.data(format);
        m_cache.insert(format, bytes);
        return bytes;
    }

    const QMimeData &mime() const { return m_mime; }

private:
    const QMimeData &m_mime;
    QHash<QString, QByteArray> &m_cache;
    QStringList m_formats;
};

QByteArray stripTrailingNuls(QByteArray bytes)
{
    while (!bytes.isEmpty() && bytes.back() == '\0')
        bytes.chop(1);
    return bytes;
}

QString stripTrailingNuls(QString text)
{
    while (!text.isEmpty() && text.back() == QChar(u'\0'))
        text.chop(1);
    return text;
}

std::optional<QString> decodeStrictly(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

/// The encoding a byte-order mark announces, and the mark's length.
std::optional<std::pair<QStringConverter::Encoding, int>> byteOrderMark(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return std::pair{QStringConverter::Utf8, 3};
    if (bytes.startsWith("\xFF\xFE"))
        return std::pair{QStringConverter::Utf16LE, 2};
    if (bytes.startsWith("\xFE\xFF"))
        return std::pair{QStringConverter::Utf16BE, 2};
    return std::nullopt;
}

/// UTF-16 without a byte-order mark shows itself by zero bytes in every other position
/// (markup and Latin text); which half holds them gives the byte order.
std::optional<QStringConverter::Encoding> utf16ByZeros(const QByteArray &bytes)
{
    if (bytes.size() < 2 || bytes.size() % 2 != 0)
        return std::nullopt;
    qsizetype evenZeros = 0;
    qsizetype oddZeros = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        evenZeros += bytes[i] == '\0';
        oddZeros += bytes[i + 1] == '\0';
    }
    const qsizetype pairs = bytes.size() / 2;
    if (oddZeros * 2 > pairs && evenZeros * 4 < pairs)
        return QStringConverter::Utf16LE;
    if (evenZeros * 2 > pairs && oddZeros * 4 < pairs)
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

/// Text whose encoding nobody declared: a byte-order mark, else UTF-8 when valid, else
/// Latin-1 (what ICCCM says STRING and plain text/plain are).
QString decodeUndeclared(const QByteArray &bytes)
{
    if (const auto bom = byteOrderMark(bytes)) {
        QStringDecoder decoder(bom->first);
        return decoder.decode(QByteArrayView(bytes).sliced(bom->second));
    }
    if (auto text = decodeStrictly(QStringConverter::Utf8, bytes))
        return *text;
    return QString::fromLatin1(bytes);
}

/// Text in a declared charset; Qt knows the Unicode encodings and Latin-1, and the legacy
/// 8-bit charsets a desktop still sees are close enough to Latin-1 for ASCII-heavy text.
QString decodeCharset(const QByteArray &bytes, const QString &charset)
{
    const QString name = charset.trimmed().toLower();
    if (name == u"utf-8" || name == u"utf8")
        return decodeUndeclared(bytes);
    if (const auto bom = byteOrderMark(bytes)) {
        QStringDecoder decoder(bom->first);
        return decoder.decode(QByteArrayView(bytes).sliced(bom->second));
    }
    if (name == u"utf-16") {
        QStringDecoder decoder(utf16ByZeros(bytes).value_or(QStringConverter::Utf16));
        return decoder.decode(bytes);
    }
    QStringDecoder decoder(name.toLatin1().constData());
    if (decoder.isValid())
        return decoder.decode(bytes);
    return QString::fromLatin1(bytes);
}

QString charsetParameter(const QString &format)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(;\s*charset\s*=\s*"?([^";\s]+))"), QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(format);
    return match.hasMatch() ? match.captured(1) : QString();
}

/// The plain text a drag offers, best-declared format first.
std::optional<QString> readText(Reader &reader)
{
    QStringList candidates;
    for (const QString &format : reader.formats()) {
        if (format.startsWith(QLatin1StringView("text/plain;"), Qt::CaseInsensitive)
            && !charsetParameter(format).isEmpty())
            candidates.append(format);
    }
    // A declared UTF-8 is the safest reading; other declared charsets next.
    std::stable_sort(candidates.begin(), candidates.end(), [](const QString &a, const QString &b) {
        const auto utf8 = [](const QString &f) {
            const QString cs = charsetParameter(f).toLower();
            return cs == u"utf-8" || cs == u"utf8";
        };
        return utf8(a) && !utf8(b);
    });
    if (!candidates.isEmpty()) {
        const QString &format = candidates.first();
        return stripTrailingNuls(decodeCharset(reader.fetch(format), charsetParameter(format)));
    }
    if (const QString format = reader.find(Utf8String); !format.isEmpty())
        return stripTrailingNuls(decodeUndeclared(reader.fetch(format)));
    if (const QString format = reader.find(PlainText); !format.isEmpty())
        return stripTrailingNuls(decodeUndeclared(reader.fetch(format)));
    return std::nullopt;
}

struct ParsedUris
{
    QStringList paths;
    QStringList webUrls;
};

/// RFC 2483: one URI per line, CRLF (LF tolerated), lines starting with "#" are comments.
ParsedUris parseUriList(const QByteArray &bytes, bool skipOperationLine)
{
    ParsedUris result;
    const QList<QByteArray> lines = stripTrailingNuls(bytes).split('\n');
    bool first = true;
    for (const QByteArray &raw : lines) {
        const QByteArray line = raw.trimmed();
        const bool isFirst = std::exchange(first, false);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        // gnome-copied-files begins with the operation ("copy" or "cut").
        if (isFirst && skipOperationLine && !line.contains(':'))
            continue;
        const QUrl url = QUrl::fromEncoded(line);
        if (!url.isValid() || url.scheme().isEmpty())
            continue;
        if (url.isLocalFile()) {
            const QString path = url.toLocalFile();
            if (!path.isEmpty())
                result.paths.append(path);
        } else {
            result.webUrls.append(QString::fromUtf8(line));
        }
    }
    return result;
}

struct Links
{
    QStringList urls;
    QStringList titles; // empty strings where the source gave none
};

/// "URL\ntitle" pairs, as text/x-moz-url and _NETSCAPE_URL carry them.
Links parseUrlTitlePairs(const QString &text)
{
    Links links;
    QStringList lines = stripTrailingNuls(text).split(u'\n');
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        const QString url = lines[i].trimmed();
        if (url.isEmpty())
            continue;
        links.urls.append(url);
        links.titles.append(i + 1 < lines.size() ? lines[i + 1].trimmed() : QString());
    }
    return links;
}

QString decodeMozUrl(const QByteArray &bytes)
{
    if (const auto bom = byteOrderMark(bytes)) {
        QStringDecoder decoder(bom->first);
        return decoder.decode(QByteArrayView(bytes).sliced(bom->second));
    }
    // Mozilla writes UTF-16 in the machine's byte order; a few programs write UTF-8.
    if (const auto utf16 = utf16ByZeros(bytes)) {
        QStringDecoder decoder(*utf16);
        return decoder.decode(bytes);
    }
    return decodeUndeclared(bytes);
}

QByteArray linksWithTitles(const Links &links)
{
    const bool anyTitle = std::any_of(
        links.titles.cbegin(), links.titles.cend(), [](const QString &title) { return !title.isEmpty(); });
    if (!anyTitle)
        return PropertyList::toXml(QVariantList{QVariant(links.urls)});
    QStringList titles = links.titles;
    for (qsizetype i = 0; i < titles.size(); ++i) {
        if (titles[i].isEmpty())
            titles[i] = links.urls[i];
    }
    return PropertyList::toXml(QVariantList{QVariant(links.urls), QVariant(titles)});
}

bool isPicture(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return false;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return !QImageReader::imageFormat(&buffer).isEmpty();
}

QByteArray pngOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

std::optional<QByteArray> readPicture(Reader &reader)
{
    QStringList candidates;
    for (const auto name : {ImagePng, ImageTiff, ImageJpeg}) {
        if (const QString format = reader.find(name); !format.isEmpty())
            candidates.append(format);
    }
    for (const QString &format : reader.formats()) {
        if (format.startsWith(QLatin1StringView("image/"), Qt::CaseInsensitive)
            && !candidates.contains(format))
            candidates.append(format);
    }
    for (const auto name : {QtImage, OctetStream}) {
        if (const QString format = reader.find(name); !format.isEmpty())
            candidates.append(format);
    }
    for (const QString &format : candidates) {
        const QByteArray bytes = reader.fetch(format);
        if (isPicture(bytes))
            return bytes;
        // A picture made inside this process exists only as a QImage.
        if (format == QtImage) {
            const QVariant image = reader.mime().imageData();
            if (image.canConvert<QImage>() && !image.value<QImage>().isNull())
                return pngOf(image.value<QImage>());
        }
    }
    return std::nullopt;
}

/// application/x-color: four native-endian 16-bit components (red, green, blue, alpha).
QByteArray colorBytes(const QColor &color)
{
    const quint16 components[4] = {quint16(color.red() * 0x101), quint16(color.green() * 0x101),
        quint16(color.blue() * 0x101), quint16(color.alpha() * 0x101)};
    return QByteArray(reinterpret_cast<const char *>(components), sizeof components);
}

std::optional<QByteArray> readColor(Reader &reader)
{
    const QString format = reader.find(Color);
    if (format.isEmpty())
        return std::nullopt;
    const QByteArray bytes = reader.fetch(format);
    if (bytes.size() == 8)
        return bytes;
    const QVariant color = reader.mime().colorData();
    if (color.canConvert<QColor>() && color.value<QColor>().isValid())
        return colorBytes(color.value<QColor>());
    return std::nullopt;
}

/// After re-encoding HTML as UTF-8, a <meta> that names another charset would mislead
/// whoever reads the stored fragment.
QString declareUtf8(const QString &html)
{
    static const QRegularExpression meta(
        QStringLiteral(R"((<meta\b[^>]*?\bcharset\s*=\s*["']?\s*)([A-Za-z0-9_.:-]+))"),
        QRegularExpression::CaseInsensitiveOption);
    QString result = html;
    const auto match = meta.match(result);
    if (match.hasMatch() && match.captured(2).compare(u"utf-8", Qt::CaseInsensitive) != 0)
        result.replace(match.capturedStart(2), match.capturedLength(2), QStringLiteral("utf-8"));
    return result;
}

bool looksLikeMimeName(const QString &type)
{
    return type.contains(u'/') || type == Utf8String || type == NetscapeUrl;
}

} // namespace

bool isTransferType(const QString &mimeType)
{
    static const QStringList names = {QStringLiteral("TARGETS"), QStringLiteral("MULTIPLE"),
        QStringLiteral("TIMESTAMP"), QStringLiteral("SAVE_TARGETS"), QStringLiteral("DELETE"),
        QStringLiteral("INCR"), QString(DirectSave)};
    return names.contains(mimeType) || mimeType.startsWith(QLatin1StringView("chromium/"));
}

QString decodeHtml(const QByteArray &bytes)
{
    if (const auto bom = byteOrderMark(bytes)) {
        QStringDecoder decoder(bom->first);
        return stripTrailingNuls(decoder.decode(QByteArrayView(bytes).sliced(bom->second)));
    }
    if (const auto utf16 = utf16ByZeros(bytes)) {
        QStringDecoder decoder(*utf16);
        return stripTrailingNuls(decoder.decode(bytes));
    }
    // A <meta> declaration is ASCII, so it can be found before the encoding is known.
    static const QRegularExpression meta(
        QStringLiteral(R"(<meta\b[^>]*?\bcharset\s*=\s*["']?\s*([A-Za-z0-9_.:-]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = meta.match(QString::fromLatin1(bytes.left(4096)));
    if (match.hasMatch() && !match.captured(1).startsWith(u"utf-16", Qt::CaseInsensitive))
        return stripTrailingNuls(decodeCharset(bytes, match.captured(1)));
    return stripTrailingNuls(decodeUndeclared(bytes));
}

bool isImageOnlyHtml(const QString &html)
{
    static const QRegularExpression noise(
        QStringLiteral(R"(<!--.*?-->|<!doctype[^>]*>|<meta\b[^>]*>|</?(?:html|head|body)\b[^>]*>|</img\s*>)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression image(
        QStringLiteral(R"(^<img\b[^>]*>$)"), QRegularExpression::CaseInsensitiveOption);
    QString rest = html;
    rest.remove(noise);
    return image.match(rest.trimmed()).hasMatch();
}

QList<Entry> readTypes(const QMimeData &mime, QHash<QString, QByteArray> &cache)
{
    Reader reader(mime, cache);
    QList<Entry> result;

    ParsedUris uris;
    if (const QString format = reader.find(UriList); !format.isEmpty())
        uris = parseUriList(reader.fetch(format), false);
    if (uris.paths.isEmpty()) {
        if (const QString format = reader.find(GnomeCopiedFiles); !format.isEmpty())
            uris.paths = parseUriList(reader.fetch(format), true).paths;
    }
    if (!uris.paths.isEmpty())
        result.append({T::NSFilenamesPboardType, PropertyList::xmlStringArray(uris.paths)});

    std::optional<QString> html;
    if (const QString format = reader.find(Html); !format.isEmpty())
        html = declareUtf8(decodeHtml(reader.fetch(format)));
    if (html && isImageOnlyHtml(*html))
        result.append({T::ChromiumImageHTML, html->toUtf8()});

    Links links;
    if (const QString format = reader.find(MozUrl); !format.isEmpty())
        links = parseUrlTitlePairs(decodeMozUrl(reader.fetch(format)));
    if (links.urls.isEmpty()) {
        if (const QString format = reader.find(NetscapeUrl); !format.isEmpty())
            links = parseUrlTitlePairs(decodeUndeclared(reader.fetch(format)));
    }
    if (!links.urls.isEmpty())
        result.append({T::WebURLsWithTitlesPboardType, linksWithTitles(links)});

    if (const auto picture = readPicture(reader))
        result.append({T::NSTIFFPboardType, *picture});

    // Qt presents a source's text/x-moz-url as text/uri-list, titles included as if they
    // were URLs, so the link pairs are the better list when a source offers both.
    const QStringList urls = !links.urls.isEmpty() ? links.urls : uris.webUrls;
    if (!urls.isEmpty())
        result.append({T::NSURLPboardType, PropertyList::xmlStringArray(urls)});

    if (const auto text = readText(reader))
        result.append({T::NSStringPboardType, text->toUtf8()});

    for (const auto name : {TextRtf, ApplicationRtf}) {
        if (const QString format = reader.find(name); !format.isEmpty()) {
            result.append({T::NSRTFPboardType, reader.fetch(format)});
            break;
        }
    }

    if (const auto color = readColor(reader))
        result.append({T::NSColorPboardType, *color});

    if (const QString format = reader.find(Pdf); !format.isEmpty())
        result.append({T::NSPDFPboardType, reader.fetch(format)});

    if (html)
        result.append({T::NSHTMLPboardType, html->toUtf8()});

    if (const QString format = reader.find(KelvoraRows); !format.isEmpty())
        result.append({T::DragIdentifier, reader.fetch(format)});

    return result;
}

std::unique_ptr<QMimeData> writeMimeData(const QList<Entry> &content, bool forClipboard)
{
    QList<Entry> out;
    const auto set = [&out](const QString &format, const QByteArray &bytes) {
        for (Entry &entry : out) {
            if (entry.first == format) {
                entry.second = bytes;
                return;
            }
        }
        out.append({format, bytes});
    };
    const auto find = [&content](QLatin1StringView type) -> std::optional<QByteArray> {
        for (const Entry &entry : content) {
            if (entry.first == type)
                return entry.second;
        }
        return std::nullopt;
    };

    for (const Entry &entry : content) {
        if (looksLikeMimeName(entry.first) && !isTransferType(entry.first))
            set(entry.first, entry.second);
    }

    const std::optional<QByteArray> text = find(T::NSStringPboardType);
    const QStringList paths
        = PropertyList::stringArray(find(T::NSFilenamesPboardType).value_or(QByteArray()));

    if (!paths.isEmpty()) {
        QByteArray uriList;
        QList<QByteArray> uris;
        for (const QString &path : paths) {
            uris.append(QUrl::fromLocalFile(path).toEncoded());
            uriList += uris.back() + "\r\n";
        }
        set(UriList, uriList);
        if (!text) {
            const QByteArray plain = paths.join(u'\n').toUtf8();
            set(PlainTextUtf8, plain);
            set(PlainText, plain);
        }
        if (forClipboard)
            set(GnomeCopiedFiles, "copy\n" + uris.join('\n'));
    }

    Links links;
    const QVariant webLinks
        = PropertyList::fromData(find(T::WebURLsWithTitlesPboardType).value_or(QByteArray()));
    if (webLinks.typeId() == QMetaType::QVariantList && !webLinks.toList().isEmpty()) {
        const QVariantList lists = webLinks.toList();
        links.urls = lists.first().toStringList();
        if (lists.size() > 1)
            links.titles = lists.last().toStringList();
    }
    const QStringList urls = PropertyList::stringArray(find(T::NSURLPboardType).value_or(QByteArray()));
    if (!urls.isEmpty() && urls != links.urls) {
        links.urls = urls;
        links.titles.clear();
    }
    links.titles.resize(links.urls.size());
    for (qsizetype i = 0; i < links.urls.size(); ++i) {
        if (links.titles[i].isEmpty())
            links.titles[i] = links.urls[i];
    }
    if (!links.urls.isEmpty()) {
        if (paths.isEmpty()) {
            QByteArray uriList;
            for (const QString &url : links.urls)
                uriList += url.toUtf8() + "\r\n";
            set(UriList, uriList);
            if (!text) {
                const QByteArray plain = links.urls.join(u'\n').toUtf8();
                set(PlainTextUtf8, plain);
                set(PlainText, plain);
            }
        }
        // Qt offers no _NETSCAPE_URL of its own, and browsers look for it or for x-moz-url.
        set(NetscapeUrl, (links.urls.first() + u'\n' + links.titles.first()).toUtf8());
        QStringList pairs;
        for (qsizetype i = 0; i < links.urls.size(); ++i)
            pairs << links.urls[i] << links.titles[i];
        const QString moz = pairs.join(u'\n');
        set(MozUrl, QByteArray(reinterpret_cast<const char *>(moz.utf16()), moz.size() * 2));
    }

    if (text) {
        set(PlainTextUtf8, *text);
        set(PlainText, *text);
    }
    if (const auto html = find(T::NSHTMLPboardType))
        set(Html, *html);
    else if (const auto imageHtml = find(T::ChromiumImageHTML))
        set(Html, *imageHtml);
    if (const auto rtf = find(T::NSRTFPboardType)) {
        set(TextRtf, *rtf);
        set(ApplicationRtf, *rtf);
    }
    if (const auto picture = find(T::NSTIFFPboardType)) {
        QBuffer buffer;
        buffer.setData(*picture);
        buffer.open(QIODevice::ReadOnly);
        const QByteArray format = QImageReader::imageFormat(&buffer);
        if (!format.isEmpty())
            set(QStringLiteral("image/") + QString::fromLatin1(format), *picture);
    }
    if (const auto color = find(T::NSColorPboardType))
        set(Color, *color);
    if (const auto pdf = find(T::NSPDFPboardType))
        set(Pdf, *pdf);
    if (const auto rows = find(T::DragIdentifier))
        set(KelvoraRows, *rows);

    auto mime = std::make_unique<QMimeData>();
    for (const Entry &entry : out)
        mime->setData(entry.first, entry.second);
    return mime;
}

bool formatsCanCarry(const QStringList &mimeFormats, const QStringList &types)
{
    const auto wants = [&types](QLatin1StringView type) { return types.contains(type); };
    for (const QString &raw : mimeFormats) {
        if (types.contains(raw))
            return true;
        const QString format = raw.toLower();
        if (format == UriList && (wants(T::NSFilenamesPboardType) || wants(T::NSURLPboardType)))
            return true;
        if (format == GnomeCopiedFiles && wants(T::NSFilenamesPboardType))
            return true;
        if ((format == MozUrl || raw == NetscapeUrl)
            && (wants(T::NSURLPboardType) || wants(T::WebURLsWithTitlesPboardType)))
            return true;
        if ((format == PlainText || format.startsWith(QLatin1StringView("text/plain;")) || raw == Utf8String)
            && wants(T::NSStringPboardType))
            return true;
        if (format == Html && (wants(T::NSHTMLPboardType) || wants(T::ChromiumImageHTML)))
            return true;
        if ((format == TextRtf || format == ApplicationRtf) && wants(T::NSRTFPboardType))
            return true;
        if ((format.startsWith(QLatin1StringView("image/")) || format == QtImage || format == OctetStream)
            && wants(T::NSTIFFPboardType))
            return true;
        if (format == Color && wants(T::NSColorPboardType))
            return true;
        if (format == Pdf && wants(T::NSPDFPboardType))
            return true;
        if (format == KelvoraRows && wants(T::DragIdentifier))
            return true;
    }
    return false;
}

} // namespace HBMimeTypes
