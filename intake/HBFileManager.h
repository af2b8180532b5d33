// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBObjectID.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

class NVHTTPRequest;
class Pasteboard;
class PasteboardFile;
class PasteboardItem;
class QThread;

/// Gives every item real files, so that it can be dragged out as files: references to the
/// user's own files, or the item's content written into the storage folder ("Kelvora
/// Files"), each file alone in a folder named by a new upper-case UUID.
///
/// All materialisation and clean-up run on one worker thread, "com.norvale.filemaker", one
/// job at a time in the order they were queued, so that a clean-up never sees a file that
/// is written but not yet recorded. Each materialisation works on an object context of its
/// own and reaches the main thread's objects through its save; then, on the main thread,
/// the item's iconIsPending is cleared, the completion runs and "HB.icon.changed" is posted.
///
/// Files are written atomically (a temporary file renamed into place) and recorded only
/// once complete; a write that fails records nothing, leaves no folder behind and tells
/// nobody.
class HBFileManager : public QObject
{
    Q_OBJECT

public:
    using Completion = std::function<void()>;

    /// The shared manager, made on first use, which must be on the main thread.
    static HBFileManager &sharedManager();
    ~HBFileManager() override;

    /// Queues the materialisation of a saved item of the default context and returns at
    /// once. An unsaved item is saved first, since the worker finds it by its stored id.
    /// `pasteboard` is accepted and not consulted. `completion`, if any, runs on the main
    /// thread once the item's files are recorded and merged into the default context.
    void makeFileForItemIfNeeded(
        PasteboardItem *item, const Pasteboard *pasteboard = nullptr, Completion completion = {});

    /// Queues the removal of written files that no file record names (with their then
    /// empty folders). `completion`, if any, runs on the main thread afterwards.
    void cleanup(Completion completion = {});

    /// The materialisation itself, first rule that applies: pictures, links offered with a
    /// file promise, written representations (text, HTML, PDF, rich text, colour), the
    /// user's files. Runs on the worker thread with an item of a worker context; the caller
    /// saves.
    void actuallyMakeFileForItemIfNeeded(PasteboardItem *item);
    /// For a link main type (links with titles, URL lists): writes or downloads the link's
    /// file and answers true; false for any other main type.
    bool makeFileWithItem(PasteboardItem *item);
    /// Writes the item's first link and title as a web location file (".webloc").
    void makeWebLocFileWithItem(PasteboardItem *item);
    /// Writes the item's picture of `type`, named by its title, and records it.
    void makeImageDataWithItem(PasteboardItem *item, const QString &type);
    /// Downloads `url` as the item's file. The result arrives later on the worker thread
    /// and is recorded through a context of its own; then, on the main thread, the item's
    /// icon is updated (or, on failure, its pending state cleared and the change posted).
    void generateThumbnailWithURL(const QUrl &url, PasteboardItem *item);

    /// A new file record for `path` in the item's context, not yet added to its files. A
    /// symbolic link is recorded as the file it points to (isAlias set), and the item's
    /// file-name, URL and file-URL representations are rewritten to name the record's path.
    /// An item without a file-name representation gets one, which becomes its main type.
    PasteboardFile *pasteboardFileWithPath(const QString &path, PasteboardItem *item);
    /// Whether one of the item's types is a file-name list (NSFilenamesPboardType).
    static bool itemHasFileURL(const PasteboardItem *item);
    /// The strings of a property-list array, trimmed, empty ones dropped.
    static QStringList filesFromData(const QByteArray &data);
    /// The file-name extension of a picture type (a MIME picture type, a public.* picture
    /// identifier or NSTIFFPboardType); empty for other types.
    static QString extensionFromType(const QString &type);
    /// The extension for encoded picture bytes, read from their signature; empty when the
    /// format is not recognised.
    static QString extensionFromImageData(const QByteArray &data);
    /// The file name made from a title: line breaks and / \ ? % * | " < > removed, the
    /// extension appended unless the title already ends in it, cut to the file system's 255
    /// bytes. Empty when nothing is left of the title.
    static QString fileNameForTitle(const QString &title, const QString &extension);

    /// Full path of a file to write, in a new folder that this creates: named by the item's
    /// title when `useTitleName` (falling back to a UUID name), else by a new UUID. Empty
    /// when the folder can't be made.
    QString uniqueFileNameWithExtension(
        const QString &extension, PasteboardItem *item, bool useTitleName = true);
    /// A new, created folder in the storage folder, named by a new upper-case UUID; empty
    /// when it can't be made.
    QString uniqueFolderName();
    /// The storage folder, created when missing.
    static QString basePath();

    /// The link download most recently started; null when none runs.
    std::shared_ptr<NVHTTPRequest> downloadRequest() const;
    /// The time-out of downloads started from now on (120 seconds by default).
    void setDownloadTimeoutInterval(double seconds);

private:
    HBFileManager();

    void enqueue(std::function<void()> job);
    void onMainThread(std::function<void()> step);
    /// Writes `bytes` atomically to `path` (in a folder from uniqueFileNameWithExtension());
    /// on failure removes the folder when empty. Remembers the path for the running job.
    bool writeFile(const QString &path, const QByteArray &bytes);
    /// Writes, records and adds a file in one step; false when the write failed.
    bool writeAndRecord(PasteboardItem *item, const QString &path, const QByteArray &bytes);
    QString pathForNewFile(const QString &extension, const QString &title, bool useTitleName);
    void startDownload(const QUrl &url, const HBObjectID &itemId, const QString &title);
    void cleanupNow();

    QThread *m_thread = nullptr;
    QObject *m_worker = nullptr;

    /// What the running materialisation wrote (worker thread only): removed again when its
    /// save fails, so that no unrecorded file outlives it.
    QStringList m_jobWritten;
    /// The picture the running materialisation wrote, for the item's icon.
    QString m_jobIconFile;

    mutable QMutex m_mutex;
    std::shared_ptr<NVHTTPRequest> m_downloadRequest;
    double m_downloadTimeout;
};
