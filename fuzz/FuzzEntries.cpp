// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzEntries.h"

#include "HTMLImageSource.h"
#include "ItemTitles.h"
#include "MemoryPasteboard.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"
#include "RtfText.h"

#include <QByteArray>

#include <array>
#include <cstdlib>

namespace {

QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

namespace FuzzEntries {

void silenceLogs()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

void rtfText(const uint8_t *data, size_t size)
{
    const QByteArray input = bytes(data, size);
    const std::optional<QString> whole = RtfText::plainText(input);
    const std::optional<QString> limited = RtfText::plainText(input, ItemTitles::kTextTitleLength);
    check(whole.has_value() == limited.has_value());
    if (!whole)
        return;
    // The limit only stops reading early: what it gives is the start of the whole text.
    check(limited->size() <= ItemTitles::kTextTitleLength);
    check(whole->startsWith(*limited));
    check(limited->size() >= std::min(whole->size(), ItemTitles::kTextTitleLength) - 1);
}

void htmlImageSource(const uint8_t *data, size_t size)
{
    const HTMLImageSource::Result result = HTMLImageSource::firstImageSource(bytes(data, size));
    check(result.status == HTMLImageSource::Status::Found || result.value.isEmpty());
    if (result.status == HTMLImageSource::Status::Found)
        ItemTitles::titleFromChromiumHTMLData(bytes(data, size));
}

void propertyList(const uint8_t *data, size_t size)
{
    const QVariant value = PropertyList::fromData(bytes(data, size));
    if (!value.isValid())
        return;
    // What was read must be writable and readable again.
    const QByteArray xml = PropertyList::toXml(value);
    if (!xml.isEmpty())
        check(PropertyList::fromData(xml).isValid());
}

void itemTitles(const uint8_t *data, size_t size)
{
    if (size == 0)
        return;
    static const std::array<QString, 17> kTypes = {
        PasteboardTypes::NSFilenamesPboardType,
        PasteboardTypes::ChromiumImageHTML,
        PasteboardTypes::WebURLsWithTitlesPboardType,
        PasteboardTypes::NSURLPboardType,
        PasteboardTypes::NSStringPboardType,
        PasteboardTypes::NSRTFPboardType,
        PasteboardTypes::NSRTFDPboardType,
        PasteboardTypes::NSVCardPboardType,
        PasteboardTypes::NSColorPboardType,
        PasteboardTypes::NSFontPboardType,
        PasteboardTypes::NSTIFFPboardType,
        PasteboardTypes::NSHTMLPboardType,
        PasteboardTypes::NSPDFPboardType,
        PasteboardTypes::PublicFileURL,
        PasteboardTypes::NSFilesPromisePboardType,
        QStringLiteral("text/plain"),
        QString(),
    };
    const uint8_t selector = data[0];
    const QString &type = kTypes[selector % kTypes.size()];
    const QByteArray payload = bytes(data + 1, size - 1);

    // With the selector's top bit set, the payload also fills a pasteboard: its first half
    // as the URL list, its second half as the text.
    std::optional<MemoryPasteboard> pasteboard;
    if (selector & 0x80) {
        const qsizetype half = payload.size() / 2;
        pasteboard.emplace(QList<std::pair<QString, QByteArray>>{
            {PasteboardTypes::NSURLPboardType, payload.first(half)},
            {PasteboardTypes::NSStringPboardType, payload.sliced(half)},
        });
    }
    const QString title = ItemTitles::titleForType(type, payload, pasteboard ? &*pasteboard : nullptr);
    check(!title.isNull());
}

} // namespace FuzzEntries
