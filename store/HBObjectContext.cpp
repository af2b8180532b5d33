// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBObjectContext.h"

#include "HBManagedObject.h"
#include "HBObjectStore.h"
#include "HBSqliteConnection.h"
#include "PasteboardFile.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"

#include <QDateTime>
#include <QMutexLocker>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <bit>
#include <limits>

namespace {

constexpr quint32 bit(int field)
{
    return 1u << field;
}

QString quoted(QLatin1StringView column)
{
    return u'"' + column + u'"';
}

// "SELECT id, <every column> FROM <table>": column n + 1 of a row is field n.
const QString &selectPrefix(HBEntity entity)
{
    static const std::array<QString, 3> cache = [] {
        std::array<QString, 3> result;
        for (HBEntity e : {HBEntity::Item, HBEntity::Type, HBEntity::File}) {
            const HBEntityDescription &d = HBEntityDescription::of(e);
            QString sql = QStringLiteral("SELECT id");
            for (QLatin1StringView column : d.columns)
                sql += QStringLiteral(", ") + quoted(column);
            result[size_t(e)] = sql + QStringLiteral(" FROM ") + d.name;
        }
        return result;
    }();
    return cache[size_t(entity)];
}

int ownerField(HBEntity entity)
{
    const quint32 mask = HBEntityDescription::of(entity).relationshipMask;
    return mask ? std::countr_zero(mask) : -1;
}

QVariant columnValue(sqlite3_stmt *statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
            sqlite3_column_bytes(statement, column));
    case SQLITE_BLOB: {
        const int size = sqlite3_column_bytes(statement, column);
        // An empty blob is still data, not a missing value.
        return size ? QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, column)), size)
                    : QByteArray("");
    }
    default:
        return {};
    }
}

// Values compare and bind in their stored form: dates as milliseconds, flags as integers.
QVariant storedForm(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime().isValid()
            ? QVariant::fromValue<qint64>(value.toDateTime().toMSecsSinceEpoch())
            : QVariant();
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return QVariant::fromValue<qint64>(value.toLongLong());
    default:
        return value;
    }
}

void bindValue(sqlite3_stmt *statement, int index, const QVariant &raw)
{
    const QVariant value = storedForm(raw);
    if (value.isNull()) {
        sqlite3_bind_null(statement, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::LongLong:
        sqlite3_bind_int64(statement, index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(statement, index, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob64(
            statement, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text64(
            statement, index, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
    }
}

// SQLite's order: NULL first, then numbers, then text, then blobs.
int compareStored(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    const QPartialOrdering order = QVariant::compare(a, b);
    if (order == QPartialOrdering::Less)
        return -1;
    if (order == QPartialOrdering::Greater)
        return 1;
    return 0;
}

// Saved rows keep row-id order; unsaved objects follow in creation order.
qint64 tieKey(const HBObjectID &id)
{
    return id.rowId > 0 ? id.rowId : std::numeric_limits<qint64>::max() / 2 - id.rowId;
}

QString sqliteError(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

} // namespace

HBObjectContext::HBObjectContext(
    HBObjectStore *store, std::shared_ptr<HBSqliteConnection> connection, bool isDefault)
    : m_store(store)
    , m_connection(std::move(connection))
    , m_isDefault(isDefault)
{ }

HBObjectContext::~HBObjectContext()
{
    for (auto &objects : m_objects) {
        for (HBManagedObject *object : std::as_const(objects)) {
            object->m_context = nullptr;
            delete object;
        }
    }
    for (HBManagedObject *object : m_graveyard)
        delete object;
}

HBManagedObject *HBObjectContext::makeObject(HBEntity entity)
{
    switch (entity) {
    case HBEntity::Item:
        return new PasteboardItem(this);
    case HBEntity::Type:
        return new PasteboardType(this);
    case HBEntity::File:
        return new PasteboardFile(this);
    }
    return nullptr;
}

HBManagedObject *HBObjectContext::insertNewObject(HBEntity entity)
{
    Q_ASSERT_X(QThread::currentThread() == thread(), Q_FUNC_INFO, "a context is used by its own thread");
    HBManagedObject *object = makeObject(entity);
    object->m_rowId = m_nextTemporaryId--;
    object->m_inserted = true;
    objects(entity).insert(object->m_rowId, object);
    m_inserted[int(entity)].append(object);
    object->awakeFromInsert();
    return object;
}

HBManagedObject *HBObjectContext::objectFromRow(
    HBEntity entity, sqlite3_stmt *statement, QList<HBManagedObject *> &awoken)
{
    const qint64 rowId = sqlite3_column_int64(statement, 0);
    if (HBManagedObject *known = objects(entity).value(rowId))
        return known;
    HBManagedObject *object = makeObject(entity);
    object->m_rowId = rowId;
    const int fieldCount = int(HBEntityDescription::of(entity).columns.size());
    for (int field = 0; field < fieldCount; ++field)
        object->setPrimitiveValue(field, columnValue(statement, field + 1));
    objects(entity).insert(rowId, object);
    awoken.append(object);
    return object;
}

bool HBObjectContext::readRow(HBEntity entity, qint64 rowId, QVariantList *values)
{
    QMutexLocker lock(&m_connection->mutex());
    sqlite3_stmt *statement = m_connection->statement(selectPrefix(entity) + QStringLiteral(" WHERE id = ?"));
    if (!statement)
        return false;
    HBStatementReset reset(statement);
    sqlite3_bind_int64(statement, 1, rowId);
    if (sqlite3_step(statement) != SQLITE_ROW)
        return false;
    const int fieldCount = int(HBEntityDescription::of(entity).columns.size());
    values->clear();
    for (int field = 0; field < fieldCount; ++field)
        values->append(columnValue(statement, field + 1));
    return true;
}

HBManagedObject *HBObjectContext::objectWithID(const HBObjectID &id)
{
    Q_ASSERT_X(QThread::currentThread() == thread(), Q_FUNC_INFO, "a context is used by its own thread");
    if (id.rowId == 0)
        return nullptr;
    if (HBManagedObject *known = objects(id.entity).value(id.rowId))
        return known;
    if (id.isTemporary())
        return nullptr;
    QList<HBManagedObject *> awoken;
    HBManagedObject *object = nullptr;
    {
        QMutexLocker lock(&m_connection->mutex());
        sqlite3_stmt *statement
            = m_connection->statement(selectPrefix(id.entity) + QStringLiteral(" WHERE id = ?"));
        if (!statement)
            return nullptr;
        HBStatementReset reset(statement);
        sqlite3_bind_int64(statement, 1, id.rowId);
        if (sqlite3_step(statement) == SQLITE_ROW)
            object = objectFromRow(id.entity, statement, awoken);
    }
    for (HBManagedObject *awake : std::as_const(awoken))
        awake->awakeFromFetch();
    return object;
}

qint64 HBObjectContext::relatedRowId(const HBManagedObject *object, int field) const
{
    if (const HBManagedObject *related = object->relatedObjectForField(field))
        return related->m_rowId;
    const QVariant value = object->primitiveValue(field);
    return value.isNull() ? 0 : value.toLongLong();
}

QList<HBManagedObject *> HBObjectContext::fetchChildren(const HBManagedObject *owner, HBEntity childEntity)
{
    QList<HBManagedObject *> children;
    if (owner->m_rowId <= 0)
        return children;
    const int field = ownerField(childEntity);
    const QLatin1StringView column = HBEntityDescription::of(childEntity).columns.at(field);
    QList<HBManagedObject *> awoken;
    {
        QMutexLocker lock(&m_connection->mutex());
        sqlite3_stmt *statement = m_connection->statement(selectPrefix(childEntity)
            + QStringLiteral(" WHERE ") + quoted(column) + QStringLiteral(" = ? ORDER BY id"));
        if (!statement)
            return children;
        HBStatementReset reset(statement);
        sqlite3_bind_int64(statement, 1, owner->m_rowId);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            HBManagedObject *child = objectFromRow(childEntity, statement, awoken);
            // A child moved to another owner in memory belongs to that owner's list now.
            if (child->m_deleted || relatedRowId(child, field) != owner->m_rowId)
                continue;
            children.append(child);
        }
    }
    for (HBManagedObject *awake : std::as_const(awoken))
        awake->awakeFromFetch();
    return children;
}

QList<HBManagedObject *> HBObjectContext::executeFetchRequest(const HBFetchRequest &request, QString *error)
{
    Q_ASSERT_X(QThread::currentThread() == thread(), Q_FUNC_INFO, "a context is used by its own thread");
    const HBEntityDescription &description = HBEntityDescription::of(request.entity);
    QString sql = selectPrefix(request.entity);

    int predicateField = -1;
    QVariant predicateValue;
    if (!request.predicateKey.isEmpty()) {
        predicateField = description.field(request.predicateKey);
        if (predicateField < 0) {
            if (error)
                *error = QStringLiteral("%1 has no key %2").arg(description.name, request.predicateKey);
            return {};
        }
        predicateValue = storedForm(request.predicateValue);
        // IS also matches a null value.
        sql += QStringLiteral(" WHERE ") + quoted(description.columns.at(predicateField))
            + QStringLiteral(" IS ?");
    }
    QList<std::pair<int, bool>> sortFields;
    quint32 sortMask = 0;
    sql += QStringLiteral(" ORDER BY ");
    for (const HBSortDescriptor &sort : request.sortDescriptors) {
        const int field = description.field(sort.key);
        if (field < 0 || (description.relationshipMask & bit(field))) {
            if (error)
                *error = QStringLiteral("%1 can't be sorted by %2").arg(description.name, sort.key);
            return {};
        }
        sortFields.append({field, sort.ascending});
        sortMask |= bit(field);
        sql += quoted(description.columns.at(field))
            + (sort.ascending ? QStringLiteral(" ASC, ") : QStringLiteral(" DESC, "));
    }
    sql += QStringLiteral("id");

    const quint32 predicateMask = predicateField >= 0 ? bit(predicateField) : 0;
    const bool relationshipPredicate = predicateMask & description.relationshipMask;
    const auto currentValue = [&](const HBManagedObject *object) {
        if (relationshipPredicate) {
            const qint64 id = relatedRowId(object, predicateField);
            return id ? QVariant::fromValue<qint64>(id) : QVariant();
        }
        return storedForm(object->primitiveValue(predicateField));
    };
    const auto matches = [&](const HBManagedObject *object) {
        if (predicateField < 0)
            return true;
        const QVariant value = currentValue(object);
        if (value.isNull() || predicateValue.isNull())
            return value.isNull() && predicateValue.isNull();
        return compareStored(value, predicateValue) == 0;
    };

    QList<HBManagedObject *> results;
    QList<HBManagedObject *> awoken;
    const QList<HBManagedObject *> &inserted = m_inserted[int(request.entity)];
    const bool trackSeen = predicateMask && !m_updated.isEmpty();
    QSet<const HBManagedObject *> seen;
    {
        QMutexLocker lock(&m_connection->mutex());
        sqlite3_stmt *statement = m_connection->statement(sql);
        if (!statement) {
            if (error)
                *error = m_connection->errorMessage();
            return {};
        }
        HBStatementReset reset(statement);
        if (predicateField >= 0)
            bindValue(statement, 1, predicateValue);
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            HBManagedObject *object = objectFromRow(request.entity, statement, awoken);
            if (object->m_deleted)
                continue;
            // The row matched as stored; an unsaved change of the key decides instead.
            if ((object->m_changedFields & predicateMask) && !matches(object))
                continue;
            results.append(object);
            if (trackSeen)
                seen.insert(object);
        }
        if (rc != SQLITE_DONE) {
            if (error)
                *error = sqliteError(m_connection->handle());
            results.clear();
        }
    }

    bool needsSort = false;
    if (trackSeen) {
        for (HBManagedObject *object : std::as_const(m_updated)) {
            if (object->m_entity == request.entity && (object->m_changedFields & predicateMask)
                && !seen.contains(object) && matches(object)) {
                results.append(object);
                needsSort = true;
            }
        }
    }
    for (HBManagedObject *object : inserted) {
        if (matches(object)) {
            results.append(object);
            needsSort = true;
        }
    }
    if (!needsSort && sortMask && !m_updated.isEmpty()) {
        needsSort = std::any_of(results.cbegin(), results.cend(),
            [&](const HBManagedObject *o) { return o->m_changedFields & sortMask; });
    }
    if (needsSort) {
        std::stable_sort(
            results.begin(), results.end(), [&](const HBManagedObject *a, const HBManagedObject *b) {
                for (const auto &[field, ascending] : std::as_const(sortFields)) {
                    const int order = compareStored(
                        storedForm(a->primitiveValue(field)), storedForm(b->primitiveValue(field)));
                    if (order != 0)
                        return ascending ? order < 0 : order > 0;
                }
                return tieKey(a->objectID()) < tieKey(b->objectID());
            });
    }
    for (HBManagedObject *awake : std::as_const(awoken))
        awake->awakeFromFetch();
    return results;
}

int HBObjectContext::countForFetchRequest(const HBFetchRequest &request, QString *error)
{
    if (!request.predicateKey.isEmpty())
        return int(executeFetchRequest(request, error).size());
    qint64 stored = 0;
    {
        QMutexLocker lock(&m_connection->mutex());
        sqlite3_stmt *statement = m_connection->statement(
            QStringLiteral("SELECT count(*) FROM ") + HBEntityDescription::of(request.entity).name);
        if (!statement) {
            if (error)
                *error = m_connection->errorMessage();
            return 0;
        }
        HBStatementReset reset(statement);
        if (sqlite3_step(statement) == SQLITE_ROW)
            stored = sqlite3_column_int64(statement, 0);
    }
    const auto deleted = std::count_if(m_deleted.cbegin(), m_deleted.cend(),
        [&](const HBManagedObject *o) { return o->m_entity == request.entity; });
    return int(stored - deleted + m_inserted[int(request.entity)].size());
}

QList<PasteboardItem *> HBObjectContext::fetchItems()
{
    const QList<HBManagedObject *> objects
        = executeFetchRequest(PasteboardItem::fetchRequest()
                                  .sortedBy(QStringLiteral("order"), true)
                                  .sortedBy(QStringLiteral("date"), false));
    QList<PasteboardItem *> items;
    items.reserve(objects.size());
    for (HBManagedObject *object : objects)
        items.append(static_cast<PasteboardItem *>(object));
    return items;
}

int HBObjectContext::countItems()
{
    return countForFetchRequest(PasteboardItem::fetchRequest());
}

QList<PasteboardFile *> HBObjectContext::fetchFilesWithPath(const QString &path)
{
    const QList<HBManagedObject *> objects
        = executeFetchRequest(PasteboardFile::fetchRequest().where(QStringLiteral("path"), path));
    QList<PasteboardFile *> files;
    files.reserve(objects.size());
    for (HBManagedObject *object : objects)
        files.append(static_cast<PasteboardFile *>(object));
    return files;
}

void HBObjectContext::markChanged(HBManagedObject *object, int field)
{
    object->m_changedFields |= bit(field);
    if (!object->m_inserted && !object->m_deleted)
        m_updated.insert(object);
}

void HBObjectContext::forget(HBManagedObject *object)
{
    objects(object->m_entity).remove(object->m_rowId);
    m_inserted[int(object->m_entity)].removeOne(object);
    m_updated.remove(object);
    m_deleted.removeOne(object);
}

void HBObjectContext::bury(HBManagedObject *object)
{
    object->m_context = nullptr;
    object->m_deleted = true;
    m_graveyard.push_back(object);
    if (m_burialScheduled)
        return;
    m_burialScheduled = true;
    // Threads without an event loop never run this; their contexts free the objects when
    // they are destroyed.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_burialScheduled = false;
            std::vector<HBManagedObject *> dead;
            dead.swap(m_graveyard);
            for (HBManagedObject *corpse : dead)
                delete corpse;
        },
        Qt::QueuedConnection);
}

bool HBObjectContext::deleteObject(HBManagedObject *object)
{
    Q_ASSERT_X(QThread::currentThread() == thread(), Q_FUNC_INFO, "a context is used by its own thread");
    if (!object || object->m_context != this || object->m_deleted)
        return false;
    object->prepareForDeletion();
    const QList<HBManagedObject *> owned = object->cascadeTargets();
    object->m_deleted = true;
    for (HBManagedObject *child : owned) {
        if (child && child->m_context == this && !child->m_deleted) {
            child->prepareForDeletion();
            // Representations and file records own nothing, and their owner goes too, so
            // only the owner's own lists need the child removed.
            child->m_deleted = true;
            object->relatedObjectWillVanish(child);
            if (child->m_inserted) {
                forget(child);
                bury(child);
            } else {
                m_updated.remove(child);
                m_deleted.append(child);
            }
        }
    }
    if (HBManagedObject *owner = object->owner())
        owner->childRemoved(object);
    if (object->m_entity == HBEntity::Type) {
        // A main representation need not be one of its item's types: look for the item
        // that names it.
        for (HBManagedObject *item : std::as_const(objects(HBEntity::Item))) {
            if (item->m_deleted)
                continue;
            const quint32 mask = item->relatedObjectWillVanish(object);
            for (int field = 0; mask >> field; ++field) {
                if (mask & bit(field))
                    markChanged(item, field);
            }
        }
    }
    if (object->m_inserted) {
        forget(object);
        bury(object);
    } else {
        m_updated.remove(object);
        m_deleted.append(object);
    }
    return true;
}

bool HBObjectContext::hasChanges() const
{
    return !m_updated.isEmpty() || !m_deleted.isEmpty() || !m_inserted[0].isEmpty()
        || !m_inserted[1].isEmpty() || !m_inserted[2].isEmpty();
}

bool HBObjectContext::writeChanges(QHash<HBManagedObject *, qint64> &newIds, QString *error)
{
    sqlite3 *db = m_connection->handle();
    const auto fail = [&] {
        if (error)
            *error = sqliteError(db);
        return false;
    };
    const auto relationshipValue = [&](const HBManagedObject *object, int field) -> QVariant {
        if (HBManagedObject *related = object->relatedObjectForField(field)) {
            if (related->m_context != this)
                return {};
            const qint64 id = related->m_inserted ? newIds.value(related) : related->m_rowId;
            return id > 0 ? QVariant::fromValue<qint64>(id) : QVariant();
        }
        const QVariant value = object->primitiveValue(field);
        return value.isNull() || value.toLongLong() <= 0 ? QVariant() : value;
    };
    const auto update = [&](HBManagedObject *object, qint64 rowId, quint32 mask) {
        const HBEntityDescription &d = HBEntityDescription::of(object->m_entity);
        QString sql = QStringLiteral("UPDATE ") + d.name + QStringLiteral(" SET ");
        QList<int> fields;
        for (int field = 0; field < d.columns.size(); ++field) {
            if (mask & bit(field)) {
                sql += (fields.isEmpty() ? QString() : QStringLiteral(", ")) + quoted(d.columns.at(field))
                    + QStringLiteral(" = ?");
                fields.append(field);
            }
        }
        if (fields.isEmpty())
            return true;
        sqlite3_stmt *statement = m_connection->statement(sql + QStringLiteral(" WHERE id = ?"));
        if (!statement)
            return false;
        HBStatementReset reset(statement);
        int index = 1;
        for (int field : std::as_const(fields)) {
            bindValue(statement, index++,
                (d.relationshipMask & bit(field)) ? relationshipValue(object, field)
                                                  : object->primitiveValue(field));
        }
        sqlite3_bind_int64(statement, index, rowId);
        return sqlite3_step(statement) == SQLITE_DONE;
    };

    // Inserts first, without relationships: a new row's id is known only once it exists.
    for (HBEntity entity : {HBEntity::Item, HBEntity::Type, HBEntity::File}) {
        const HBEntityDescription &d = HBEntityDescription::of(entity);
        QString columns;
        QString values;
        QList<int> fields;
        for (int field = 0; field < d.columns.size(); ++field) {
            if (d.relationshipMask & bit(field))
                continue;
            columns += (fields.isEmpty() ? QString() : QStringLiteral(", ")) + quoted(d.columns.at(field));
            values += fields.isEmpty() ? QStringLiteral("?") : QStringLiteral(", ?");
            fields.append(field);
        }
        const QString sql = QStringLiteral("INSERT INTO ") + d.name + QStringLiteral(" (") + columns
            + QStringLiteral(") VALUES (") + values + u')';
        for (HBManagedObject *object : std::as_const(m_inserted[int(entity)])) {
            sqlite3_stmt *statement = m_connection->statement(sql);
            if (!statement)
                return fail();
            HBStatementReset reset(statement);
            int index = 1;
            for (int field : std::as_const(fields))
                bindValue(statement, index++, object->primitiveValue(field));
            if (sqlite3_step(statement) != SQLITE_DONE)
                return fail();
            newIds.insert(object, sqlite3_last_insert_rowid(db));
        }
    }
    for (auto it = newIds.cbegin(); it != newIds.cend(); ++it) {
        const quint32 relationships = HBEntityDescription::of(it.key()->m_entity).relationshipMask;
        quint32 mask = 0;
        for (int field = 0; relationships >> field; ++field) {
            if ((relationships & bit(field)) && !relationshipValue(it.key(), field).isNull())
                mask |= bit(field);
        }
        if (mask && !update(it.key(), it.value(), mask))
            return fail();
    }
    for (HBManagedObject *object : std::as_const(m_updated)) {
        if (!update(object, object->m_rowId, object->m_changedFields))
            return fail();
    }
    for (HBManagedObject *object : std::as_const(m_deleted)) {
        sqlite3_stmt *statement = m_connection->statement(QStringLiteral("DELETE FROM ")
            + HBEntityDescription::of(object->m_entity).name + QStringLiteral(" WHERE id = ?"));
        if (!statement)
            return fail();
        HBStatementReset reset(statement);
        sqlite3_bind_int64(statement, 1, object->m_rowId);
        if (sqlite3_step(statement) != SQLITE_DONE)
            return fail();
    }
    return true;
}

bool HBObjectContext::saveAndWait(QString *error)
{
    Q_ASSERT_X(QThread::currentThread() == thread(), Q_FUNC_INFO, "a context is used by its own thread");
    if (!hasChanges())
        return true;
    QHash<HBManagedObject *, qint64> newIds;
    {
        QMutexLocker lock(&m_connection->mutex());
        if (!m_connection->exec("BEGIN IMMEDIATE", error))
            return false;
        bool ok = writeChanges(newIds, error);
        ok = ok && m_connection->exec("COMMIT", error);
        if (!ok) {
            m_connection->exec("ROLLBACK");
            qWarning("[DEBUG] Saving the item store failed: %s", qPrintable(error ? *error : QString()));
            return false;
        }
    }

    HBChangeSet changes;
    for (auto it = newIds.cbegin(); it != newIds.cend(); ++it) {
        HBManagedObject *object = it.key();
        objects(object->m_entity).remove(object->m_rowId);
        object->m_rowId = it.value();
        object->m_inserted = false;
        object->m_changedFields = 0;
        objects(object->m_entity).insert(object->m_rowId, object);
        changes.inserted.append(object->objectID());
    }
    for (auto &inserted : m_inserted)
        inserted.clear();
    for (HBManagedObject *object : std::as_const(m_updated)) {
        changes.updated.append({object->objectID(), object->m_changedFields});
        object->m_changedFields = 0;
    }
    m_updated.clear();
    const QList<HBManagedObject *> deleted = std::exchange(m_deleted, {});
    for (HBManagedObject *object : deleted) {
        changes.deleted.append(object->objectID());
        objects(object->m_entity).remove(object->m_rowId);
        bury(object);
    }
    if (m_store)
        Q_EMIT m_store->contextDidSave(changes, quintptr(this));
    return true;
}

void HBObjectContext::save()
{
    QString error;
    saveAndWait(&error);
}

void HBObjectContext::mergeChanges(const HBChangeSet &changes)
{
    for (const HBObjectID &id : changes.deleted) {
        HBManagedObject *object = objects(id.entity).value(id.rowId);
        if (!object)
            continue;
        if (HBManagedObject *owner = object->owner())
            owner->childRemoved(object);
        if (id.entity == HBEntity::Type) {
            for (HBManagedObject *item : std::as_const(objects(HBEntity::Item)))
                item->relatedObjectWillVanish(object);
        }
        forget(object);
        bury(object);
        if (id.entity == HBEntity::Item) {
            // SQLite's cascade removed the item's children, also any this context knows
            // that the saving context did not.
            for (HBEntity childEntity : {HBEntity::Type, HBEntity::File}) {
                const int field = ownerField(childEntity);
                const QList<HBManagedObject *> known = objects(childEntity).values();
                for (HBManagedObject *child : known) {
                    if (child->relatedObjectForField(field) == object
                        || relatedRowId(child, field) == id.rowId) {
                        forget(child);
                        bury(child);
                    }
                }
            }
        }
    }

    QVariantList values;
    for (const auto &[id, mask] : changes.updated) {
        HBManagedObject *object = objects(id.entity).value(id.rowId);
        if (!object || object->m_deleted || !readRow(id.entity, id.rowId, &values))
            continue;
        const quint32 relationships = HBEntityDescription::of(id.entity).relationshipMask;
        // Fields changed here and not yet saved keep this context's value.
        const quint32 fields = mask & ~object->m_changedFields;
        for (int field = 0; field < values.size(); ++field) {
            if (!(fields & bit(field)))
                continue;
            if ((relationships & bit(field)) && field == ownerField(id.entity)) {
                HBManagedObject *oldOwner = object->owner();
                object->setPrimitiveValue(field, values.at(field));
                const qint64 newOwnerId = values.at(field).isNull() ? 0 : values.at(field).toLongLong();
                HBManagedObject *newOwner = objects(HBEntity::Item).value(newOwnerId);
                if (oldOwner != newOwner) {
                    if (oldOwner)
                        oldOwner->childRemoved(object);
                    if (newOwner)
                        newOwner->childAdded(object);
                }
            } else {
                object->setPrimitiveValue(field, values.at(field));
            }
        }
    }

    for (const HBObjectID &id : changes.inserted) {
        if (id.entity == HBEntity::Item || objects(id.entity).contains(id.rowId))
            continue;
        const int field = ownerField(id.entity);
        if (!readRow(id.entity, id.rowId, &values) || values.at(field).isNull())
            continue;
        // Only owners in memory have lists to extend; others read their children when asked.
        HBManagedObject *owner = objects(HBEntity::Item).value(values.at(field).toLongLong());
        if (!owner || owner->m_deleted)
            continue;
        if (HBManagedObject *child = objectWithID(id))
            owner->childAdded(child);
    }
    Q_EMIT objectsDidChange();
}

QList<HBManagedObject *> HBManagedObject::fetchChildren(HBEntity childEntity) const
{
    return m_context ? m_context->fetchChildren(this, childEntity) : QList<HBManagedObject *>();
}
