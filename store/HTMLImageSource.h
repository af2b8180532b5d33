// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

/// Reads HTML fragments with libxml2's HTML parser, error and warning reports off and no
/// network access, and answers one kind of question: the value of an attribute of the first
/// element with a given tag, in document order (depth first, children before following
/// siblings). A browser puts such a fragment beside a dragged picture; its first "img"
/// element's "src" names the picture.
///
/// Encodings: a byte-order mark (UTF-8, UTF-16 LE/BE, as Chromium's fragment carries) or
/// UTF-16 without one is converted to UTF-8 first; valid UTF-8 is read as UTF-8; other bytes
/// are left to the parser, which then follows a <meta> charset declaration.
namespace HTMLImageSource {

enum class Status {
    Found, ///< the element has the attribute; `value` holds it
    NotFound, ///< the document has no such element, or the element lacks the attribute
    ParseFailed, ///< no document could be built (no data, or the parser gave up)
};

struct Result
{
    Status status = Status::ParseFailed;
    QString value;
};

/// The attribute `attribute` of the first element named `tag`. Names are compared byte for
/// byte with those the parser produced (it lower-cases HTML tag and attribute names).
Result firstElementAttribute(const QByteArray &html, const QByteArray &tag, const QByteArray &attribute);

/// The "src" of the first "img" element.
Result firstImageSource(const QByteArray &html);

} // namespace HTMLImageSource
