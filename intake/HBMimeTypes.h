// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QLatin1StringView>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>

class QMimeData;

/// The Linux MIME types (and X11 target names) Kelvora reads and writes, and the mapping
/// between them and Kelvora's own pasteboard type names (PasteboardTypes.h). Nothing else
/// in the program knows MIME names: the core speaks Kelvora's names, HBMimePasteboard uses
/// this mapping to talk to Qt's drag and drop and clipboard.
///
/// Data formats of the mapped types, as the store keeps them:
/// - NSFilenamesPboardType: XML property list, array of absolute paths;
/// - NSURLPboardType: XML property list, array of URL strings;
/// - WebURLsWithTitlesPboardType: XML property list, [[urls…], [titles…]] (only [[urls…]]
///   when the source gave no titles);
/// - NSStringPboardType, NSHTMLPboardType, org.chromium.image-html: UTF-8 text;
/// - NSTIFFPboardType: the picture's own encoded bytes (PNG, JPEG, TIFF… as the source
///   sent them, never re-encoded, so nothing is lost; QImage reads every one of them); a
///   picture that only exists as an in-process QImage is encoded as PNG;
/// - NSColorPboardType: application/x-color bytes (red, green, blue, alpha as native-endian
///   16-bit values);
/// - NSRTFPboardType, NSPDFPboardType, com.norvale.dragidentifier: the bytes unchanged.
namespace HBMimeTypes {

/// One type with its bytes, in the order a pasteboard offers them.
using Entry = std::pair<QString, QByteArray>;

// Files and links. text/uri-list is RFC 2483; x-special/gnome-copied-files is what GNOME-
// style file managers put on the clipboard ("copy" or "cut", then one URI per line).
inline constexpr QLatin1StringView UriList{"text/uri-list"};
inline constexpr QLatin1StringView GnomeCopiedFiles{"x-special/gnome-copied-files"};
/// Mozilla's link type: UTF-16, "URL\ntitle" pairs.
inline constexpr QLatin1StringView MozUrl{"text/x-moz-url"};
/// The older browser link target: UTF-8, "URL\ntitle".
inline constexpr QLatin1StringView NetscapeUrl{"_NETSCAPE_URL"};

// Text.
inline constexpr QLatin1StringView PlainTextUtf8{"text/plain;charset=utf-8"};
inline constexpr QLatin1StringView PlainText{"text/plain"};
inline constexpr QLatin1StringView Utf8String{"UTF8_STRING"};
inline constexpr QLatin1StringView Html{"text/html"};
inline constexpr QLatin1StringView TextRtf{"text/rtf"};
inline constexpr QLatin1StringView ApplicationRtf{"application/rtf"};

// Pictures, colours, documents.
inline constexpr QLatin1StringView ImagePng{"image/png"};
inline constexpr QLatin1StringView ImageJpeg{"image/jpeg"};
inline constexpr QLatin1StringView ImageTiff{"image/tiff"};
inline constexpr QLatin1StringView QtImage{"application/x-qt-image"};
inline constexpr QLatin1StringView OctetStream{"application/octet-stream"};
inline constexpr QLatin1StringView Color{"application/x-color"};
inline constexpr QLatin1StringView Pdf{"application/pdf"};

/// The X Direct Save protocol's target: files the source writes where the drop asks.
inline constexpr QLatin1StringView DirectSave{"XdndDirectSave0"};
/// The shelf's own rows being dragged within the shelf.
inline constexpr QLatin1StringView KelvoraRows{"application/x-kelvora-rows"};

/// Whether a MIME type or X11 target describes the transfer rather than its content
/// (TARGETS, MULTIPLE, TIMESTAMP, SAVE_TARGETS, DELETE, a browser's chromium/… types, and
/// the Direct Save handshake, whose data only has meaning inside the XDS protocol).
/// Such types are never stored.
bool isTransferType(const QString &mimeType);

/// Kelvora types derived from MIME data, in a fixed order (files, browser picture
/// fragment, links with titles, picture, links, text, rich text, colour, PDF, HTML,
/// row identifier). `cache` holds the bytes of every format read, so that the caller
/// never asks the source twice (each request can be an X11 round trip).
QList<Entry> readTypes(const QMimeData &mime, QHash<QString, QByteArray> &cache);

/// MIME data that Linux applications read, from Kelvora content (Kelvora types and MIME
/// types written verbatim). Kelvora types win over verbatim MIME entries they map to, since
/// they are what the program keeps current. A file list becomes text/uri-list plus the
/// paths as text/plain, and also x-special/gnome-copied-files when `forClipboard`; links
/// become text/uri-list, _NETSCAPE_URL and text/x-moz-url.
std::unique_ptr<QMimeData> writeMimeData(const QList<Entry> &content, bool forClipboard);

/// Whether MIME formats announced by a drag can carry any of `types`, judged from the
/// names alone (no data is read, which a drag-enter handler must not do): the drop
/// targets' equivalent of registering for dragged types.
bool formatsCanCarry(const QStringList &mimeFormats, const QStringList &types);

/// HTML bytes as text: a byte-order mark wins, then a <meta> charset declaration, then
/// UTF-16 recognised by its zero bytes, else UTF-8 (Latin-1 when that is not valid).
QString decodeHtml(const QByteArray &bytes);
/// Whether an HTML fragment holds one <img> element and nothing else (besides <meta>,
/// comments, the html/head/body wrappers and white space): a browser's picture drag.
bool isImageOnlyHtml(const QString &html);

} // namespace HBMimeTypes
