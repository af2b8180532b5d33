// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1StringView>

/// Pasteboard type names as Kelvora stores them. Each constant's value is its own name
/// (or the quoted identifier), so the store file reads the same on every platform.
/// The Linux MIME names these map to, and the mapping itself, belong to the pasteboard
/// adapter in intake/ alone.
namespace PasteboardTypes {

inline constexpr QLatin1StringView NSFilenamesPboardType{"NSFilenamesPboardType"};
inline constexpr QLatin1StringView NSURLPboardType{"NSURLPboardType"};
inline constexpr QLatin1StringView NSStringPboardType{"NSStringPboardType"};
inline constexpr QLatin1StringView NSTIFFPboardType{"NSTIFFPboardType"};
inline constexpr QLatin1StringView NSRTFPboardType{"NSRTFPboardType"};
inline constexpr QLatin1StringView NSRTFDPboardType{"NSRTFDPboardType"};
inline constexpr QLatin1StringView NSHTMLPboardType{"NSHTMLPboardType"};
inline constexpr QLatin1StringView NSColorPboardType{"NSColorPboardType"};
inline constexpr QLatin1StringView NSPDFPboardType{"NSPDFPboardType"};
inline constexpr QLatin1StringView NSFontPboardType{"NSFontPboardType"};
inline constexpr QLatin1StringView NSRulerPboardType{"NSRulerPboardType"};
inline constexpr QLatin1StringView NSTabularTextPboardType{"NSTabularTextPboardType"};
inline constexpr QLatin1StringView NSVCardPboardType{"NSVCardPboardType"};
inline constexpr QLatin1StringView NSFilesPromisePboardType{"NSFilesPromisePboardType"};
inline constexpr QLatin1StringView NSPromiseContentsPboardType{"NSPromiseContentsPboardType"};
inline constexpr QLatin1StringView WebURLsWithTitlesPboardType{"WebURLsWithTitlesPboardType"};
inline constexpr QLatin1StringView ChromiumImageHTML{"org.chromium.image-html"};
inline constexpr QLatin1StringView DragIdentifier{"com.norvale.dragidentifier"};
inline constexpr QLatin1StringView PublicFileURL{"public.file-url"};
inline constexpr QLatin1StringView PublicURLName{"public.url-name"};
inline constexpr QLatin1StringView PublicTIFF{"public.tiff"};
inline constexpr QLatin1StringView PublicJPEG{"public.jpeg"};

} // namespace PasteboardTypes
