// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/// Plain text of an RTF document, read by a small reader of our own: groups, control
/// words and symbols, \uN with \ucN fallback skipping, \'hh bytes in the code page of the
/// current font (its \fcharset or \cpg in the font table) or else of the document
/// (\ansicpg, \ansi, \mac, \pc, \pca; cp1252 when none is named), the special
/// characters (\par, \line, \tab, \emdash, quotes …) and the destinations that hold no
/// body text (font, colour and style tables, info, pictures, headers and footers, fields'
/// instructions, every \* group) skipped.
///
/// RTFD is read the same way: on Linux a rich-text-with-attachments drop arrives as its
/// RTF part, and attachments (\NeXTGraphic) carry no text.
///
/// The reader is bounded for hostile input: one pass over the bytes, nesting beyond
/// RtfText::kMaxDepth is skipped as a whole, and reading stops once `maxChars` UTF-16
/// units have been produced.
namespace RtfText {

/// Groups nested deeper than this are skipped together with their content.
inline constexpr int kMaxDepth = 200;

/// The document's plain text; std::nullopt when `rtf` does not start with "{\rtf".
/// With `maxChars` >= 0 the text is cut after that many UTF-16 units (never inside a
/// surrogate pair), and reading stops there.
std::optional<QString> plainText(const QByteArray &rtf, qsizetype maxChars = -1);

} // namespace RtfText
