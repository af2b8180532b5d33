// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBFileManager.h"

#include "FileBookmark.h"
#include "HBNotificationCenter.h"
#include "HBNotifications.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBPaths.h"
#include "NVHTTPRequest.h"
#include "PasteboardFile.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSaveFile>
#include <QThread>
#include <QUuid>
#include <QVariantMap>

namespace T = PasteboardTypes;

namespace {

/// A picture's type as a source may name it; what the promise-content type may also say.
constexpr QLatin1StringView PromisedFileContentType{"com.apple.pasteboard.promised-file-content-type"};

/// The picture types tried, in this order: a JPEG is kept as the photograph it is, lossless
/// formats before TIFF, and NSTIFFPboardType (a picture's encoded bytes in whatever format
/// the source sent) last, since a named format says more about the bytes.
const QStringList &pictureTypes()
{
    static const QStringList types = {
        QStringLiteral("image/jpeg"),
        T::PublicJPEG,
        QStringLiteral("image/png"),
        QStringLiteral("image/gif"),
        QStringLiteral("image/bmp"),
        QStringLiteral("image/x-pict"),
        QStringLiteral("image/x-icns"),
        QStringLiteral("image/x-quicktime"),
        QStringLiteral("image/vnd.microsoft.icon"),
        QStringLiteral("image/x-icon"),
        QStringLiteral("image/tiff"),
        T::PublicTIFF,
        T::NSTIFFPboardType,
    };
    return types;
}

/// Written representations, first one present wins: type, extension, named by the title.
struct WrittenRepresentation
{
    QLatin1StringView type;
    const char *extension;
    bool titleName;
};
constexpr WrittenRepresentation kWrittenRepresentations[] = {
    {T::NSStringPboardType, "txt", false},
    {T::NSHTMLPboardType, "html", true},
    {T::NSPDFPboardType, "pdf", true},
    {T::NSRTFPboardType, "rtf", false},
    {T::NSRTFDPboardType, "rtf", false},
    {T::NSColorPboardType, "txt", false},
};

QString newUuid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

/// Removes a folder of the storage folder when nothing is left in it (rmdir fails on a
/// folder with entries, hidden ones included).
void removeFolderIfEmpty(const QString &folder)
{
    if (QDir::cleanPath(folder) != QDir::cleanPath(HBFileManager::basePath()))
        QDir().rmdir(folder);
}

void removeWrittenFile(const QString &path)
{
    QFile::remove(path);
    removeFolderIfEmpty(QFileInfo(path).absolutePath());
}

/// Whether a path below the storage folder, relative to it, passes through a hidden entry.
bool isHiddenRelativePath(const QString &relative)
{
    const QStringList parts = relative.split(u'/', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (part.startsWith(u'.'))
            return true;
    }
    return false;
}

/// The file URL's absolute string, as the file-URL representation stores it.
QByteArray fileURLData(const QString &path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toUtf8();
}

void postIconChanged(PasteboardItem *item)
{
    HBNotificationCenter::defaultCenter()->post(HBNotifications::IconChanged, item);
}

} // namespace

HBFileManager &HBFileManager::sharedManager()
{
    static HBFileManager manager;
    return manager;
}

HBFileManager::HBFileManager()
    : m_downloadTimeout(NVHTTPRequest::DefaultTimeoutInterval)
{
    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("com.norvale.filemaker"));
    m_worker = new QObject;
    m_worker->moveToThread(m_thread);
    m_thread->start();
}

HBFileManager::~HBFileManager()
{
    {
        QMutexLocker lock(&m_mutex);
        m_downloadRequest.reset();
    }
    m_thread->quit();
    m_thread->wait();
    delete m_worker;
}

void HBFileManager::enqueue(std::function<void()> job)
{
    // Events posted to one receiver are delivered in the order they were posted: this is
    // what makes the worker a serial queue.
    QMetaObject::invokeMethod(m_worker, std::move(job), Qt::QueuedConnection);
}

void HBFileManager::onMainThread(std::function<void()> step)
{
    QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
}

void HBFileManager::makeFileForItemIfNeeded(
    PasteboardItem *item, const Pasteboard *pasteboard, Completion completion)
{
    Q_UNUSED(pasteboard);
    if (!item) {
        if (completion)
            onMainThread(std::move(completion));
        return;
    }
    if (item->objectID().isTemporary()) {
        if (HBObjectContext *context = item->managedObjectContext())
            context->saveAndWait();
    }
    const HBObjectID id = item->objectID();
    const QPointer<PasteboardItem> original(item);
    enqueue([this, id, original, completion = std::move(completion)]() mutable {
        m_jobWritten.clear();
        m_jobIconFile.clear();
        if (!id.isTemporary() && !id.isNull()) {
            std::unique_ptr<HBObjectContext> context = HBObjectStore::shared()->newContext();
            if (auto *copy = context->objectWithID<PasteboardItem>(id); copy && !copy->isDeleted()) {
                actuallyMakeFileForItemIfNeeded(copy);
                QString error;
                if (!context->saveAndWait(&error)) {
                    qWarning("[DEBUG] Could not record the files of an item: %s", qPrintable(error));
                    for (const QString &path : std::as_const(m_jobWritten))
                        removeWrittenFile(path);
                    m_jobIconFile.clear();
                }
            }
        }
        const QString iconFile = std::exchange(m_jobIconFile, QString());
        m_jobWritten.clear();
        // The context's save is merged into the default context before this step runs.
        onMainThread([original, iconFile, completion = std::move(completion)] {
            if (PasteboardItem *passed = original.data()) {
                passed->setIconIsPending(false);
                if (!iconFile.isEmpty())
                    passed->updateIconWithURL(QUrl::fromLocalFile(iconFile));
            }
            if (completion)
                completion();
            if (PasteboardItem *passed = original.data())
                postIconChanged(passed);
        });
    });
}

void HBFileManager::actuallyMakeFileForItemIfNeeded(PasteboardItem *item)
{
    if (!item)
        return;
    const QByteArray fileList = item->dataForType(T::NSFilenamesPboardType);
    const PasteboardType *main = item->mainType();
    // A drop of files stays a reference to those files even when the source also offered
    // text (file managers put the paths there) or a picture of them.
    const bool droppedFiles = main && main->type() == T::NSFilenamesPboardType && !fileList.isEmpty();

    if (!droppedFiles) {
        // 1. Pictures.
        for (const QString &type : pictureTypes()) {
            if (!item->dataForType(type).isEmpty()) {
                makeImageDataWithItem(item, type);
                return;
            }
        }
        // 2. Links that came with a file promise.
        bool offeredPromise = false;
        for (const PasteboardType *type : item->types())
            offeredPromise = offeredPromise || type->type() == T::NSFilesPromisePboardType;
        if (offeredPromise && makeFileWithItem(item))
            return;
        // 3. Written representations.
        for (const WrittenRepresentation &written : kWrittenRepresentations) {
            const QString type = written.type;
            bool present = false;
            for (const PasteboardType *candidate : item->types())
                present = present || candidate->type() == type;
            if (!present)
                continue;
            const QString path
                = uniqueFileNameWithExtension(QLatin1StringView(written.extension), item, written.titleName);
            if (!path.isEmpty())
                writeAndRecord(item, path, item->dataForType(type));
            return;
        }
    }
    // 4. The user's own files, referenced where they are.
    if (fileList.isEmpty())
        return;
    for (const QString &path : filesFromData(fileList)) {
        PasteboardFile *file = pasteboardFileWithPath(path, item);
        file->setIsRemovable(false);
        const QByteArray bookmark = FileBookmark::create(file->path());
        if (!bookmark.isEmpty())
            file->setBookmarkData(bookmark);
        item->addFilesObject(file);
    }
}

bool HBFileManager::makeFileWithItem(PasteboardItem *item)
{
    const PasteboardType *main = item ? item->mainType() : nullptr;
    if (!main)
        return false;
    if (main->type() == T::WebURLsWithTitlesPboardType) {
        makeWebLocFileWithItem(item);
        return true;
    }
    if (main->type() != T::NSURLPboardType)
        return false;
    const QStringList strings = filesFromData(main->data());
    if (strings.isEmpty())
        return true;
    const QString &first = strings.first();
    if (first.startsWith(QLatin1StringView("https")) || first.startsWith(QLatin1StringView("http"))) {
        generateThumbnailWithURL(QUrl(first), item);
    } else if (first.startsWith(QLatin1StringView("file"))) {
        // A well-formed file URL is decoded properly ("%20" and the like); anything else is
        // read as the text after "file://".
        const QUrl url(first);
        if (url.isLocalFile())
            generateThumbnailWithURL(url, item);
        else if (first.size() > QLatin1StringView("file://").size())
            generateThumbnailWithURL(QUrl::fromLocalFile(first.mid(7)), item);
    }
    return true;
}

void HBFileManager::makeWebLocFileWithItem(PasteboardItem *item)
{
    const PasteboardType *main = item ? item->mainType() : nullptr;
    if (!main)
        return;
    const QVariantList lists = PropertyList::fromData(main->data()).toList();
    if (lists.size() < 2)
        return;
    const QVariantList links = lists.at(0).toList();
    const QVariantList titles = lists.at(1).toList();
    if (links.isEmpty() || titles.isEmpty())
        return;
    const QString link = links.first().toString();
    const QString title = titles.first().toString();
    if (link.isEmpty())
        return;
    const QByteArray xml = PropertyList::toXml(QVariantMap{
        {QStringLiteral("URL"), link},
        {QStringLiteral("urlName"), title},
    });
    if (xml.isEmpty())
        return;
    const QString path = uniqueFileNameWithExtension(QStringLiteral("webloc"), item);
    if (!path.isEmpty())
        writeAndRecord(item, path, xml);
}

void HBFileManager::makeImageDataWithItem(PasteboardItem *item, const QString &type)
{
    const QByteArray data = item ? item->dataForType(type) : QByteArray();
    if (data.isEmpty())
        return;
    QString extension = extensionFromType(type);
    if (type == T::NSTIFFPboardType) {
        // These bytes are whatever format the source sent: name the file after what it is.
        if (const QString detected = extensionFromImageData(data); !detected.isEmpty())
            extension = detected;
    }
    const QString promised = item->stringForType(PromisedFileContentType).trimmed();
    if (!promised.isEmpty()) {
        if (const QString fromPromise = extensionFromType(promised); !fromPromise.isEmpty())
            extension = fromPromise;
    }
    const QString path = uniqueFileNameWithExtension(extension, item);
    if (!path.isEmpty() && writeAndRecord(item, path, data))
        m_jobIconFile = path;
}

void HBFileManager::generateThumbnailWithURL(const QUrl &url, PasteboardItem *item)
{
    if (!item || !url.isValid())
        return;
    const HBObjectID id = item->objectID();
    const QString title = item->title();
    if (QThread::currentThread() == m_thread)
        startDownload(url, id, title);
    else
        enqueue([this, url, id, title] { startDownload(url, id, title); });
}

void HBFileManager::startDownload(const QUrl &url, const HBObjectID &itemId, const QString &title)
{
    std::shared_ptr<NVHTTPRequest> request = NVHTTPRequest::request();
    request->setDispatchQueue(m_worker);
    {
        QMutexLocker lock(&m_mutex);
        request->setTimeoutInterval(m_downloadTimeout);
        m_downloadRequest = request;
    }
    // Large bodies are streamed next to the storage folder, on its file system, so that
    // keeping one is a rename; outside it, so that a clean-up never sees a partial file.
    request->setTemporaryDirectory(HBPaths::applicationSupportDirectory());

    const auto clearRequest = [this](NVHTTPRequest *finished) {
        QMutexLocker lock(&m_mutex);
        if (m_downloadRequest.get() == finished)
            m_downloadRequest.reset();
    };
    const auto announceWithoutFile = [this, itemId] {
        onMainThread([itemId] {
            auto *item = HBObjectStore::shared()->defaultContext()->objectWithID<PasteboardItem>(itemId);
            if (!item)
                return;
            item->setIconIsPending(false);
            postIconChanged(item);
        });
    };

    request->GET(
        url,
        [this, url, itemId, title, clearRequest, announceWithoutFile](NVHTTPRequest *finished) {
            const QString extension = QFileInfo(url.path()).suffix();
            const QString path = pathForNewFile(extension, title, true);
            if (path.isEmpty() || !finished->moveResponseToFile(path)) {
                if (!path.isEmpty())
                    removeFolderIfEmpty(QFileInfo(path).absolutePath());
                announceWithoutFile();
                clearRequest(finished);
                return;
            }
            bool recorded = false;
            if (!itemId.isTemporary() && !itemId.isNull()) {
                std::unique_ptr<HBObjectContext> context = HBObjectStore::shared()->newContext();
                auto *item = context->objectWithID<PasteboardItem>(itemId);
                if (item && !item->isDeleted()) {
                    item->addFilesObject(pasteboardFileWithPath(path, item));
                    recorded = context->saveAndWait();
                }
            }
            if (!recorded) {
                // The item went away meanwhile, or its store can't be written: keep nothing.
                removeWrittenFile(path);
                announceWithoutFile();
            } else {
                onMainThread([itemId, path] {
                    auto *item
                        = HBObjectStore::shared()->defaultContext()->objectWithID<PasteboardItem>(itemId);
                    if (item)
                        item->updateIconWithURL(QUrl::fromLocalFile(path));
                });
            }
            clearRequest(finished);
        },
        [clearRequest, announceWithoutFile](
            NVHTTPRequest *finished, const std::optional<NVHTTPRequest::Error> &) {
            announceWithoutFile();
            clearRequest(finished);
        });
}

PasteboardFile *HBFileManager::pasteboardFileWithPath(const QString &path, PasteboardItem *item)
{
    HBObjectContext *context = item->managedObjectContext();
    PasteboardFile *file = PasteboardFile::create(context);
    file->setPath(path);
    // A symbolic link stands for the file it points to (through any chain of links); a
    // dangling one stays as it is.
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty()) {
            file->setPath(target);
            file->setIsAlias(true);
        }
    }
    const QString recordPath = file->path();
    const bool hasFileList = itemHasFileURL(item);
    if (hasFileList && recordPath == path)
        return file;

    if (!hasFileList) {
        PasteboardType *list = PasteboardType::create(context);
        list->setType(T::NSFilenamesPboardType);
        list->setData(PropertyList::xmlStringArray({recordPath}));
        PasteboardType *previousMain = item->mainType();
        item->addTypesObject(list);
        item->setMainType(list);
        // A main representation kept apart from the item's types belongs to nothing once it
        // is replaced: delete it rather than leave an orphan row in the store.
        if (previousMain && previousMain->item() != item)
            context->deleteObject(previousMain);
    }

    QList<PasteboardType *> rows = item->types();
    if (PasteboardType *main = item->mainType(); main && !rows.contains(main))
        rows.append(main);
    for (PasteboardType *row : rows) {
        if (row->type() == T::NSFilenamesPboardType) {
            // In a list of several files only the entry for this file changes; the others
            // stay, or they would drop out of the item.
            QStringList paths = PropertyList::stringArray(row->data());
            if (paths.size() > 1 && paths.contains(path)) {
                for (QString &entry : paths) {
                    if (entry == path)
                        entry = recordPath;
                }
            } else {
                paths = {recordPath};
            }
            row->setData(PropertyList::xmlStringArray(paths));
        } else if (row->type() == T::NSURLPboardType) {
            row->setData(PropertyList::xmlStringArray({recordPath}));
        } else if (row->type() == T::PublicFileURL) {
            row->setData(fileURLData(recordPath));
        }
    }
    return file;
}

bool HBFileManager::itemHasFileURL(const PasteboardItem *item)
{
    if (!item)
        return false;
    for (const PasteboardType *type : item->types()) {
        if (type->type() == T::NSFilenamesPboardType)
            return true;
    }
    return false;
}

QStringList HBFileManager::filesFromData(const QByteArray &data)
{
    return PasteboardItem::filesFromData(data);
}

QString HBFileManager::extensionFromType(const QString &type)
{
    static const QHash<QString, QString> extensions = {
        {QStringLiteral("image/jpeg"), QStringLiteral("jpg")},
        {QStringLiteral("public.jpeg"), QStringLiteral("jpg")},
        {QStringLiteral("image/jp2"), QStringLiteral("jpg")},
        {QStringLiteral("public.jpeg-2000"), QStringLiteral("jpg")},
        {QStringLiteral("image/png"), QStringLiteral("png")},
        {QStringLiteral("public.png"), QStringLiteral("png")},
        {QStringLiteral("image/gif"), QStringLiteral("gif")},
        {QStringLiteral("com.compuserve.gif"), QStringLiteral("gif")},
        {QStringLiteral("image/bmp"), QStringLiteral("bmp")},
        {QStringLiteral("com.microsoft.bmp"), QStringLiteral("bmp")},
        {QStringLiteral("image/x-pict"), QStringLiteral("pict")},
        {QStringLiteral("com.apple.pict"), QStringLiteral("pict")},
        {QStringLiteral("image/x-icns"), QStringLiteral("icns")},
        {QStringLiteral("com.apple.icns"), QStringLiteral("icns")},
        {QStringLiteral("image/x-quicktime"), QStringLiteral("qtif")},
        {QStringLiteral("com.apple.quicktime-image"), QStringLiteral("qtif")},
        {QStringLiteral("image/vnd.microsoft.icon"), QStringLiteral("ico")},
        {QStringLiteral("image/x-icon"), QStringLiteral("ico")},
        {QStringLiteral("com.microsoft.ico"), QStringLiteral("ico")},
        {QStringLiteral("image/tiff"), QStringLiteral("tiff")},
        {QStringLiteral("public.tiff"), QStringLiteral("tiff")},
        {QString(T::NSTIFFPboardType), QStringLiteral("tiff")},
    };
    return extensions.value(type);
}

QString HBFileManager::extensionFromImageData(const QByteArray &data)
{
    const auto startsWith = [&data](const char *magic, qsizetype size, qsizetype offset = 0) {
        return data.size() >= offset + size && data.mid(offset, size) == QByteArray(magic, size);
    };
    if (startsWith("\x89PNG\r\n\x1a\n", 8))
        return QStringLiteral("png");
    if (startsWith("\xff\xd8\xff", 3))
        return QStringLiteral("jpg");
    if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6))
        return QStringLiteral("gif");
    if (startsWith("II*\0", 4) || startsWith("MM\0*", 4))
        return QStringLiteral("tiff");
    if (startsWith("BM", 2))
        return QStringLiteral("bmp");
    if (startsWith("RIFF", 4) && startsWith("WEBP", 4, 8))
        return QStringLiteral("webp");
    if (startsWith("\0\0\1\0", 4))
        return QStringLiteral("ico");
    if (startsWith("icns", 4))
        return QStringLiteral("icns");
    return {};
}

QString HBFileManager::fileNameForTitle(const QString &title, const QString &extension)
{
    QString name = title;
    static const QString removed = QStringLiteral("\n\r/\\?%*|\"<>") + QChar(0);
    name.removeIf([](QChar c) { return removed.contains(c); });
    if (name.isEmpty())
        return {};
    const bool hasExtension = extension.isEmpty() || QFileInfo(name).suffix() == extension;
    const QString suffix = hasExtension ? QString() : u'.' + extension;
    // Linux file names are at most 255 bytes: cut the title, never the extension, at a
    // character boundary.
    constexpr qsizetype maxBytes = 255;
    const qsizetype budget = maxBytes - suffix.toUtf8().size();
    if (name.toUtf8().size() > budget) {
        if (budget <= 0)
            return {};
        QString cut;
        qsizetype bytes = 0;
        for (qsizetype i = 0; i < name.size();) {
            const qsizetype length = name.at(i).isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
            const qsizetype size = name.mid(i, length).toUtf8().size();
            if (bytes + size > budget)
                break;
            cut += name.mid(i, length);
            bytes += size;
            i += length;
        }
        name = cut;
        if (name.isEmpty())
            return {};
    }
    return name + suffix;
}

QString HBFileManager::uniqueFileNameWithExtension(
    const QString &extension, PasteboardItem *item, bool useTitleName)
{
    return pathForNewFile(extension, item ? item->title() : QString(), useTitleName);
}

QString HBFileManager::pathForNewFile(const QString &extension, const QString &title, bool useTitleName)
{
    const QString folder = uniqueFolderName();
    if (folder.isEmpty())
        return {};
    QString name = useTitleName ? fileNameForTitle(title, extension) : QString();
    if (name.isEmpty())
        name = extension.isEmpty() ? newUuid() : newUuid() + u'.' + extension;
    return folder + u'/' + name;
}

QString HBFileManager::uniqueFolderName()
{
    const QString base = basePath();
    const QString folder = base + u'/' + newUuid();
    if (!QDir().mkpath(folder))
        return {};
    return folder;
}

QString HBFileManager::basePath()
{
    const QString path = QDir::cleanPath(HBPaths::storageDirectory());
    if (!QFileInfo::exists(path))
        QDir().mkpath(path);
    return path;
}

bool HBFileManager::writeFile(const QString &path, const QByteArray &bytes)
{
    // Written beside its final name and renamed into place, so that a file under that name
    // is always complete.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
        m_jobWritten.append(path);
        return true;
    }
    file.cancelWriting();
    removeFolderIfEmpty(QFileInfo(path).absolutePath());
    return false;
}

bool HBFileManager::writeAndRecord(PasteboardItem *item, const QString &path, const QByteArray &bytes)
{
    if (!writeFile(path, bytes))
        return false;
    item->addFilesObject(pasteboardFileWithPath(path, item));
    return true;
}

std::shared_ptr<NVHTTPRequest> HBFileManager::downloadRequest() const
{
    QMutexLocker lock(&m_mutex);
    return m_downloadRequest;
}

void HBFileManager::setDownloadTimeoutInterval(double seconds)
{
    QMutexLocker lock(&m_mutex);
    m_downloadTimeout = seconds;
}

void HBFileManager::cleanup(Completion completion)
{
    enqueue([this, completion = std::move(completion)]() mutable {
        cleanupNow();
        if (completion)
            onMainThread(std::move(completion));
    });
}

void HBFileManager::cleanupNow()
{
    HBObjectStore *store = HBObjectStore::shared();
    // Without a readable store every file would look unreferenced: remove nothing then.
    if (!store->isOpen() || store->openError())
        return;
    {
        std::unique_ptr<HBObjectContext> context = store->newContext();
        QString error;
        context->countForFetchRequest(PasteboardFile::fetchRequest(), &error);
        if (!error.isEmpty())
            return;
    }

    const QString base = basePath();
    QStringList candidates;
    QDirIterator it(base, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (isHiddenRelativePath(path.mid(base.size() + 1)))
            continue;
        const QFileInfo info = it.fileInfo();
        // Folders are never removed for themselves; a symbolic link is a file here (removing
        // it never touches what it points to).
        if (info.isDir() && !info.isSymLink())
            continue;
        if (!info.exists() && !info.isSymLink())
            continue;
        candidates.append(path);
    }

    for (const QString &path : std::as_const(candidates)) {
        // A file inside a recorded folder (a bundle or a promised folder) belongs to that
        // record just as much as the folder does.
        bool referenced = false;
        for (QString current = path; !referenced && current.size() > base.size();
             current = QFileInfo(current).absolutePath()) {
            referenced = !store->fileIDsWithPath(current).isEmpty();
        }
        if (referenced)
            continue;
        if (QFile::remove(path))
            removeFolderIfEmpty(QFileInfo(path).absolutePath());
    }
}
