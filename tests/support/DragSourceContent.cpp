// SPDX-License-Identifier: GPL-3.0-or-later
#include "DragSourceContent.h"

#include <cctype>
#include <cstring>

namespace DragSourceContent {

namespace {

std::string utf16leWithoutBomFromAscii(const std::string &text)
{
    std::string out;
    for (const char c : text) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

/// Percent-encodes what RFC 3986 does not allow in a path.
std::string fileUri(const std::string &path)
{
    static const char *hex = "0123456789ABCDEF";
    std::string out = "file://";
    for (const unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("/-._~", c)) {
            out.push_back(char(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

std::string imgFragment(const std::string &url)
{
    return "<img src=\"" + url + "\" alt=\"picture\">";
}

} // namespace

Options parse(int argc, char **argv, const std::string &png)
{
    Options options;
    std::vector<Entry> *offered = &options.offered;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        if (arg == "--next") {
            offered = &options.offeredLater;
        } else if (arg == "--title") {
            options.title = next();
        } else if (arg == "--select") {
            options.selection = next();
        } else if (arg == "--files") {
            std::string list;
            while (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0)
                list += fileUri(argv[++i]) + "\r\n";
            offered->push_back({"text/uri-list", list});
        } else if (arg == "--text") {
            const std::string text = next();
            offered->push_back({"text/plain;charset=utf-8", text});
            offered->push_back({"UTF8_STRING", text});
            offered->push_back({"text/plain", text});
        } else if (arg == "--link") {
            const std::string url = next();
            const std::string title = next();
            offered->push_back({"text/x-moz-url", utf16leWithoutBomFromAscii(url + "\n" + title)});
            offered->push_back({"_NETSCAPE_URL", url + "\n" + title});
            offered->push_back({"text/plain", url});
            offered->push_back({"text/html", "<a href=\"" + url + "\">" + title + "</a>"});
        } else if (arg == "--picture-chromium") {
            const std::string html = "<meta charset='utf-8'>" + imgFragment(next());
            offered->push_back({"text/html", std::string("\xFF\xFE", 2) + utf16leWithoutBomFromAscii(html)});
            offered->push_back({"application/octet-stream", png});
        } else if (arg == "--picture-firefox") {
            const std::string url = next();
            offered->push_back({"image/png", png});
            offered->push_back({"text/uri-list", url + "\r\n"});
            offered->push_back({"text/html",
                "<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\">\n"
                    + imgFragment(url)});
        } else {
            options.error = "unknown option " + arg;
            return options;
        }
    }
    if (options.offered.empty() && options.selection.empty())
        options.error = "nothing to offer";
    return options;
}

} // namespace DragSourceContent
