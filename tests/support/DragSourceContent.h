// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>
#include <vector>

/// What the test drag sources offer, by command-line option, as the other application
/// would: pairs of MIME type (or X11 target) and bytes, in offer order. Shared by the Qt
/// and the GTK 3 source, so both offer byte-identical drags.
///
///   --files PATH…      a file manager: text/uri-list of file:// URIs
///   --text TEXT        an editor: text/plain;charset=utf-8, UTF8_STRING, text/plain
///   --link URL TITLE   a browser link: text/x-moz-url (UTF-16), _NETSCAPE_URL,
///                      text/plain, text/html; no text/uri-list
///   --picture-chromium URL   an <img> fragment as UTF-16 text/html with a byte-order
///                      mark, and the PNG bytes as application/octet-stream
///   --picture-firefox URL    image/png, text/uri-list (the address) and UTF-8
///                      text/html behind a <meta> charset line
///   --select TEXT      (Qt source) also own the X11 PRIMARY selection with TEXT
///   --title TITLE      the window title (default "Kelvora drag source")
///   --next             (Qt source) what follows is offered by the second and every
///                      later drag instead, so that one program can change its offer
namespace DragSourceContent {

using Entry = std::pair<std::string, std::string>;

struct Options
{
    std::string title = "Kelvora drag source";
    std::vector<Entry> offered;
    /// What drags after the first offer; empty: the same as the first.
    std::vector<Entry> offeredLater;
    std::string selection;
    std::string error;
};

/// Parses the options; `png` is the picture the source offers, encoded as PNG.
Options parse(int argc, char **argv, const std::string &png);

} // namespace DragSourceContent
