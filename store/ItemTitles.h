// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QStringList>

#include <optional>

class Pasteboard;

/// How an item names itself from the representation it was made from. Pure functions over
/// the stored bytes (formats as in PasteboardTypes.h); the item calls titleForType().
///
/// Where a rule can give "no title", it returns std::nullopt, or for the QString-returning
/// readers a null QString; titleForType() turns that into the fallback "File". An empty
/// (non-null) title is a real title: text made only of white space is named "".
namespace ItemTitles {

inline constexpr QLatin1StringView kFallbackTitle{"File"};
inline constexpr QLatin1StringView kImageTitle{"Image"};
inline constexpr QLatin1StringView kFontTitle{"Font"};
/// Text and rich-text titles keep at most this many UTF-16 units.
inline constexpr qsizetype kTextTitleLength = 50;

/// The strings of a property-list array, each trimmed of spaces and tabs (line breaks are
/// kept), empty ones dropped, in order. Empty for unreadable data.
QStringList filesFromData(const QByteArray &data);
/// For exactly one entry of filesFromData() its last path component, else "N files"
/// (so "0 files" for an empty or unreadable list).
QString fileNamesFromData(const QByteArray &data);
/// The title for a representation of `type` holding `data`; `pasteboard` (may be null)
/// is the pasteboard the item came from, consulted for pictures and HTML.
/// Never empty-handed: "File" when no rule gives a title.
QString titleForType(const QString &type, const QByteArray &data, const Pasteboard *pasteboard);

/// A browser's picture fragment: the last path component of its first img's src; "Image"
/// when the fragment can't be parsed or has no img with a usable src; null when src is not
/// a valid URL.
QString titleFromChromiumHTMLData(const QByteArray &data);
/// A web link with titles (property list: [[urls…], [titles…]]): the first title, or the
/// first URL when the list holds only URLs or the title is empty; null when unreadable.
QString titleFromWebLocData(const QByteArray &data);

/// UTF-8 text: line feeds deleted, the first 50 UTF-16 units, trimmed. std::nullopt for
/// data that is absent or not valid UTF-8.
std::optional<QString> titleFromText(const QByteArray &data);
/// RTF (RTFD arrives as its RTF part): the first 50 units of its plain text, trimmed (line
/// breaks inside are kept). std::nullopt for data that is not RTF.
std::optional<QString> titleFromRichText(const QByteArray &data);
/// A colour as "#RRGGBB" from application/x-color data (four native-endian 16-bit
/// components, red, green, blue, alpha): each component × 255 truncated. "#000000" for
/// data that is not a colour.
QString titleFromColorData(const QByteArray &data);
/// The title a picture or HTML item takes from its pasteboard: its URL list, else its text,
/// else none.
std::optional<QString> titleFromPasteboard(const Pasteboard *pasteboard);

/// The last component of a path or URL string: trailing slashes ignored, "/" for a string
/// of slashes, the string itself when it has no slash.
QString lastPathComponent(const QString &path);

} // namespace ItemTitles
