// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBChangeSet.h"
#include "HBFetchRequest.h"
#include "HBObjectID.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>

#include <memory>
#include <vector>

class HBManagedObject;
class HBObjectStore;
class HBSqliteConnection;
class PasteboardFile;
class PasteboardItem;
struct sqlite3_stmt;

/// A scratch pad of stored objects on one SQLite connection, used by one thread (the
/// thread that created it).
///
/// - It holds one object per row (identity map): every fetch or lookup of a row returns the
///   same pointer, with its unsaved changes and its in-memory state.
/// - Objects created in it are unsaved until saveAndWait() or save(); until then its
///   fetches and counts include them, and exclude objects marked deleted.
/// - A save writes the context's inserts, changed fields and deletions in one transaction.
///   The default context then merges what other contexts saved: their change sets reach it
///   through HBObjectStore::contextDidSave, queued to the main thread in the order the saves
///   committed, so work a thread queues to the main thread after its saveAndWait() returned
///   sees the merged objects.
///
/// Relationships must link objects of the same context.
class HBObjectContext : public QObject
{
    Q_OBJECT

public:
    ~HBObjectContext() override;

    /// The store this context reads and writes.
    HBObjectStore *store() const { return m_store; }
    /// The store's main-thread context (HBObjectStore::defaultContext()).
    bool isDefaultContext() const { return m_isDefault; }

    /// Creates an unsaved object of the entity (attributes at their defaults).
    HBManagedObject *insertNewObject(HBEntity entity);
    /// The object for an id: the one already in this context, or the row read from the
    /// store; nullptr when there is no such row, or for another context's temporary id.
    HBManagedObject *objectWithID(const HBObjectID &id);
    template <class T> T *objectWithID(const HBObjectID &id) { return qobject_cast<T *>(objectWithID(id)); }

    /// All objects matching the request, in its order (ties in row order, unsaved objects
    /// last). Includes unsaved inserts; excludes objects marked deleted. Empty with `error`
    /// when the request names an unknown key or the store can't be read.
    QList<HBManagedObject *> executeFetchRequest(const HBFetchRequest &request, QString *error = nullptr);
    /// The number of objects executeFetchRequest() would return.
    int countForFetchRequest(const HBFetchRequest &request, QString *error = nullptr);
    /// Every item as the shelf lists them: `order` ascending, then `date` descending (an item
    /// without a date after the dated ones of its order).
    QList<PasteboardItem *> fetchItems();
    /// The number of items, unsaved ones included.
    int countItems();
    /// File records whose `path` equals `path`.
    QList<PasteboardFile *> fetchFilesWithPath(const QString &path);

    /// Marks an object deleted, with what it owns (an item's representations, files and
    /// main representation). An object never saved leaves at once. False when the object is
    /// not this context's or already deleted. The caller saves.
    bool deleteObject(HBManagedObject *object);

    /// Whether a save would write anything.
    bool hasChanges() const;
    /// Writes every change in one transaction and returns when SQLite has committed it (WAL
    /// journal: the commit survives a crash of the program). On failure nothing is written,
    /// the changes stay pending and `error` says why. With no changes it does nothing.
    bool saveAndWait(QString *error = nullptr);
    /// The save for callers that do not check the result. It commits at once as well: a
    /// commit costs well under a millisecond, and writing in call order keeps a later save of
    /// another context from being overwritten by an older one.
    void save();

    /// Applies another context's committed save to the objects in this one: changed fields
    /// are re-read (fields with unsaved changes here keep them), deleted objects leave,
    /// inserted representations and files join the relationship lists already in memory.
    void mergeChanges(const HBChangeSet &changes);

Q_SIGNALS:
    /// Another context's save has been merged into this one's objects.
    void objectsDidChange();

private:
    friend class HBObjectStore;
    friend class HBManagedObject;

    HBObjectContext(HBObjectStore *store, std::shared_ptr<HBSqliteConnection> connection, bool isDefault);

    QHash<qint64, HBManagedObject *> &objects(HBEntity entity) { return m_objects[int(entity)]; }
    HBManagedObject *makeObject(HBEntity entity);
    HBManagedObject *objectFromRow(
        HBEntity entity, sqlite3_stmt *statement, QList<HBManagedObject *> &awoken);
    bool readRow(HBEntity entity, qint64 rowId, QVariantList *values);
    QList<HBManagedObject *> fetchChildren(const HBManagedObject *owner, HBEntity childEntity);
    qint64 relatedRowId(const HBManagedObject *object, int field) const;
    void forget(HBManagedObject *object);
    void bury(HBManagedObject *object);
    void markChanged(HBManagedObject *object, int field);
    bool writeChanges(QHash<HBManagedObject *, qint64> &newIds, QString *error);

    HBObjectStore *m_store;
    std::shared_ptr<HBSqliteConnection> m_connection;
    bool m_isDefault;
    qint64 m_nextTemporaryId = -1;
    QHash<qint64, HBManagedObject *> m_objects[3];
    QList<HBManagedObject *> m_inserted[3];
    QSet<HBManagedObject *> m_updated;
    QList<HBManagedObject *> m_deleted;
    /// Objects that left the context; freed on the next turn of the event loop, or with the
    /// context, so that pointers held during the current call stay valid.
    std::vector<HBManagedObject *> m_graveyard;
    bool m_burialScheduled = false;
};
