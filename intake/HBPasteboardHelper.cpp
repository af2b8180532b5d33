// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBPasteboardHelper.h"

#include "HBDraggingInfo.h"
#include "HBMimePasteboard.h"
#include "HBMimeTypes.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBUserDefaults.h"
#include "Pasteboard.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"

#include <QDateTime>
#include <QDebug>

namespace {

namespace T = PasteboardTypes;

const QLatin1StringView kFallbackPasteboard{"itunes"};

/// Types that never become stored representations: the platform's dynamic and a
/// browser's private types (which still may be the main type), and X11 types that
/// describe the transfer rather than the content.
bool isSkippedType(const QString &type)
{
    return type.startsWith(QLatin1StringView("dyn")) || type.startsWith(QLatin1StringView("org.chromium"))
        || HBMimeTypes::isTransferType(type);
}

HBObjectContext *defaultContext()
{
    return HBObjectStore::shared()->defaultContext();
}

} // namespace

HBPasteboardHelper::HBPasteboardHelper()
{
    setPasteboardLookup({});
}

void HBPasteboardHelper::setPasteboardLookup(PasteboardLookup lookup)
{
    if (!lookup)
        lookup = [](const QString &name) { return HBMimePasteboard::pasteboardWithName(name); };
    m_pasteboardLookup = std::move(lookup);
}

HBPasteboardHelper &HBPasteboardHelper::sharedHelper()
{
    static HBPasteboardHelper helper;
    return helper;
}

const QStringList &HBPasteboardHelper::acceptedTypes()
{
    static const QStringList types = {
        T::NSFilenamesPboardType,
        T::ChromiumImageHTML,
        T::WebURLsWithTitlesPboardType,
        T::NSTIFFPboardType,
        T::NSURLPboardType,
        T::NSFilesPromisePboardType,
        T::NSStringPboardType,
        T::NSRTFPboardType,
        T::NSTabularTextPboardType,
        T::NSColorPboardType,
        T::NSRTFDPboardType,
        T::NSPDFPboardType,
        T::NSHTMLPboardType,
    };
    return types;
}

const QStringList &HBPasteboardHelper::shelfDropTypes()
{
    static const QStringList types = {
        T::DragIdentifier,
        T::NSStringPboardType,
        T::NSFilenamesPboardType,
        T::NSFilesPromisePboardType,
        T::NSTIFFPboardType,
        T::NSRTFPboardType,
        T::NSTabularTextPboardType,
        T::NSFontPboardType,
        T::NSRulerPboardType,
        T::NSColorPboardType,
        T::NSRTFDPboardType,
        T::NSHTMLPboardType,
        T::NSURLPboardType,
        T::NSPDFPboardType,
    };
    return types;
}

const QStringList &HBPasteboardHelper::dropWindowDropTypes()
{
    static const QStringList types = {
        T::NSStringPboardType,
        T::NSFilenamesPboardType,
        T::NSTIFFPboardType,
        T::NSRTFPboardType,
        T::NSTabularTextPboardType,
        T::NSFontPboardType,
        T::NSRulerPboardType,
        T::NSColorPboardType,
        T::NSRTFDPboardType,
        T::NSHTMLPboardType,
        T::NSURLPboardType,
        T::NSPDFPboardType,
    };
    return types;
}

std::pair<const Pasteboard *, QString> HBPasteboardHelper::chooseMainType(const Pasteboard *pasteboard) const
{
    if (pasteboard) {
        const QString type = pasteboard->availableTypeFromArray(acceptedTypes());
        if (!type.isEmpty())
            return {pasteboard, type};
    }
    const Pasteboard *fallback = m_pasteboardLookup(kFallbackPasteboard);
    if (fallback) {
        const QString type = fallback->availableTypeFromArray(acceptedTypes());
        if (!type.isEmpty())
            return {fallback, type};
    }
    return {nullptr, QString()};
}

bool HBPasteboardHelper::pasteboardHasDroppableItems(const Pasteboard *pasteboard) const
{
    return chooseMainType(pasteboard).first != nullptr;
}

std::optional<QStringList> HBPasteboardHelper::nv_fileStrings(const Pasteboard &pasteboard)
{
    const QVariant list = pasteboard.propertyListForType(T::NSURLPboardType);
    if (!list.isValid())
        return std::nullopt;
    QStringList strings;
    for (const QVariant &entry : list.toList()) {
        const QString string = entry.toString().trimmed();
        if (!string.isEmpty())
            strings.append(string);
    }
    return strings;
}

bool HBPasteboardHelper::acceptDrop(const Pasteboard *pasteboard, const HBDraggingInfo *info,
    const ItemCallback &preSave, const ItemCallback &postSave)
{
    auto [source, mainType] = chooseMainType(pasteboard);
    if (!source)
        return false;

    // A picture dragged from a web page comes with its address: keep the link, which
    // names the picture and can fetch it again, rather than the pixels alone.
    if (mainType == T::NSTIFFPboardType) {
        const QStringList urls = nv_fileStrings(*source).value_or(QStringList());
        const bool webAddress = std::any_of(urls.cbegin(), urls.cend(),
            [](const QString &url) { return url.startsWith(QLatin1StringView("http")); });
        if (webAddress)
            mainType = T::NSURLPboardType;
    }

    if (mainType == T::NSFilesPromisePboardType)
        return handlePromisedFilesWithInfo(info, preSave, postSave);

    if (mainType == T::NSFilenamesPboardType && !HBUserDefaults::standardUserDefaults().combineIntoStacks()) {
        QStringList paths;
        for (const QVariant &entry : source->propertyListForType(T::NSFilenamesPboardType).toList()) {
            if (entry.typeId() == QMetaType::QString)
                paths.append(entry.toString());
        }
        if (paths.isEmpty())
            return false;
        return addItemsWithFilePaths(paths, preSave, postSave);
    }

    return addSingleItem(source, mainType, preSave, postSave);
}

bool HBPasteboardHelper::addSingleItem(const Pasteboard *pasteboard, const QString &mainType,
    const ItemCallback &preSave, const ItemCallback &postSave)
{
    const QByteArray mainData = pasteboard->dataForType(mainType);
    if (mainData.isEmpty())
        return false;

    HBObjectContext *context = defaultContext();
    PasteboardItem *item = PasteboardItem::create(context);
    // The main representation belongs to the item only as its main type, not to types().
    PasteboardType *main = PasteboardType::create(context);
    main->setType(mainType);
    main->setData(mainData);
    item->setMainType(main);

    for (const QString &type : pasteboard->types()) {
        if (isSkippedType(type))
            continue;
        const QByteArray data = pasteboard->dataForType(type);
        if (data.isEmpty())
            continue;
        PasteboardType *representation = PasteboardType::create(context);
        representation->setType(type);
        representation->setData(data);
        representation->setItem(item);
    }

    item->updateTitleWithType(mainType, mainData, pasteboard);
    finishItem(item, pasteboard, preSave, postSave);
    return true;
}

bool HBPasteboardHelper::addItemsWithFilePaths(
    const QStringList &paths, const ItemCallback &preSave, const ItemCallback &postSave)
{
    for (const QString &path : paths) {
        PasteboardItem *item = PasteboardItem::pasteboardItemWithFilePaths({path});
        if (!item)
            continue;
        finishItem(item, nullptr, preSave, postSave);
    }
    return true;
}

void HBPasteboardHelper::finishItem(PasteboardItem *item, const Pasteboard *pasteboard,
    const ItemCallback &preSave, const ItemCallback &postSave)
{
    HBObjectContext *context = item->managedObjectContext();
    item->setDate(QDateTime::currentDateTimeUtc());
    // The count includes the new, unsaved item, so a new item sorts after every other.
    item->setOrder(context->countItems());
    if (preSave)
        preSave(item);
    QString error;
    if (!context->saveAndWait(&error)) {
        // The item stays in the context, shown and pending; the next save writes it.
        qWarning().noquote() << "DEBUG: could not save the new item:" << error;
    }
    if (m_fileMaker)
        m_fileMaker(item, pasteboard);
    if (postSave)
        postSave(item);
}

bool HBPasteboardHelper::handlePromisedFilesWithInfo(
    const HBDraggingInfo *info, const ItemCallback &preSave, const ItemCallback &postSave)
{
    if (!m_promisedFilesHandler)
        return false;
    return m_promisedFilesHandler(info, preSave, postSave);
}

bool HBPasteboardHelper::addFromClipboard(
    QClipboard::Mode mode, const ItemCallback &preSave, const ItemCallback &postSave)
{
    HBMimePasteboard *pasteboard = mode == QClipboard::Selection ? HBMimePasteboard::selectionPasteboard()
                                                                 : HBMimePasteboard::generalPasteboard();
    if (!pasteboard)
        return false;
    return acceptDrop(pasteboard, nullptr, preSave, postSave);
}
