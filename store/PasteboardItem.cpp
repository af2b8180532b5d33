// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasteboardItem.h"

#include "HBNotificationCenter.h"
#include "HBNotifications.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBPaths.h"
#include "ItemTitles.h"
#include "PasteboardFile.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <limits>

namespace {

HBObjectContext *contextOrDefault(HBObjectContext *context)
{
    return context ? context : HBObjectStore::shared()->defaultContext();
}

bool isInside(const QString &path, const QString &folder)
{
    const QString cleanFolder = QDir::cleanPath(folder) + u'/';
    return QDir::cleanPath(path).startsWith(cleanFolder);
}

// Removes one of the program's own files. A folder (a bundle the program wrote) goes as a
// whole, but only inside the storage folder: a record that followed its file elsewhere
// must never take a user's folder with it.
void removeOwnFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || info.isFile()) {
        QFile::remove(path);
    } else if (info.isDir()) {
        if (isInside(path, HBPaths::storageDirectory()))
            QDir(path).removeRecursively();
        return;
    }
    // rmdir succeeds only on an empty folder (hidden entries count) and fails on a plain
    // file or a missing path, which is exactly when the folder must stay.
    const QString folder = info.absolutePath();
    if (QDir::cleanPath(folder) != QDir::cleanPath(HBPaths::storageDirectory()))
        QDir().rmdir(folder);
}

} // namespace

PasteboardItem::PasteboardItem(HBObjectContext *context)
    : HBManagedObject(HBEntity::Item, context)
{ }

PasteboardItem *PasteboardItem::create(HBObjectContext *context)
{
    return static_cast<PasteboardItem *>(contextOrDefault(context)->insertNewObject(HBEntity::Item));
}

HBFetchRequest PasteboardItem::fetchRequest()
{
    return HBFetchRequest::fetchRequestWithEntityName(QStringLiteral("PasteboardItem"));
}

PasteboardItem *PasteboardItem::pasteboardItemWithFilePaths(const QStringList &paths)
{
    // Serialise before creating anything, so that a failure leaves no record behind.
    const QByteArray data = PropertyList::xmlStringArray(paths);
    if (data.isEmpty())
        return nullptr;
    HBObjectContext *context = contextOrDefault(nullptr);
    PasteboardItem *item = create(context);
    PasteboardType *type = PasteboardType::create(context);
    type->setData(data);
    type->setType(PasteboardTypes::NSFilenamesPboardType);
    type->setItem(item);
    item->setMainType(type);
    item->updateTitleWithType(type->type(), data, nullptr);
    return item;
}

QDateTime PasteboardItem::date() const
{
    return m_hasDate ? QDateTime::fromMSecsSinceEpoch(m_dateMs, Qt::UTC) : QDateTime();
}

void PasteboardItem::setDate(const QDateTime &date)
{
    const bool hasDate = date.isValid();
    const qint64 ms = hasDate ? date.toMSecsSinceEpoch() : 0;
    if (hasDate == m_hasDate && ms == m_dateMs)
        return;
    willChangeField(DateField);
    m_hasDate = hasDate;
    m_dateMs = ms;
}

void PasteboardItem::setImagePath(const QString &imagePath)
{
    if (imagePath == m_imagePath && imagePath.isNull() == m_imagePath.isNull())
        return;
    willChangeField(ImagePathField);
    m_imagePath = imagePath;
}

void PasteboardItem::setPath(const QString &path)
{
    if (path == m_path && path.isNull() == m_path.isNull())
        return;
    willChangeField(PathField);
    m_path = path;
}

void PasteboardItem::setTitle(const QString &title)
{
    if (title == m_title && title.isNull() == m_title.isNull())
        return;
    willChangeField(TitleField);
    m_title = title;
}

void PasteboardItem::setOrder(int order)
{
    const auto clamped = qint16(
        qBound(int(std::numeric_limits<qint16>::min()), order, int(std::numeric_limits<qint16>::max())));
    if (clamped == m_order)
        return;
    willChangeField(OrderField);
    m_order = clamped;
}

PasteboardType *PasteboardItem::mainType() const
{
    if (!m_mainTypeResolved) {
        m_mainType = qobject_cast<PasteboardType *>(relatedObject(HBEntity::Type, m_mainTypeId));
        m_mainTypeResolved = true;
        m_mainTypeId = 0;
    }
    return m_mainType;
}

void PasteboardItem::setMainType(PasteboardType *mainType)
{
    if (mainType == this->mainType())
        return;
    if (mainType && mainType->managedObjectContext() != managedObjectContext()) {
        qWarning("[DEBUG] A main representation must be in its item's context");
        return;
    }
    willChangeField(MainTypeField);
    m_mainType = mainType;
}

QList<PasteboardType *> PasteboardItem::types() const
{
    if (!m_typesLoaded) {
        m_typesLoaded = true;
        for (HBManagedObject *child : fetchChildren(HBEntity::Type)) {
            auto *type = static_cast<PasteboardType *>(child);
            if (!m_types.contains(type))
                m_types.append(type);
        }
    }
    return m_types;
}

void PasteboardItem::addTypesObject(PasteboardType *type)
{
    if (type)
        type->setItem(this);
}

void PasteboardItem::removeTypesObject(PasteboardType *type)
{
    if (type && type->item() == this)
        type->setItem(nullptr);
}

QList<PasteboardFile *> PasteboardItem::files() const
{
    if (!m_filesLoaded) {
        m_filesLoaded = true;
        for (HBManagedObject *child : fetchChildren(HBEntity::File)) {
            auto *file = static_cast<PasteboardFile *>(child);
            if (!m_files.contains(file))
                m_files.append(file);
        }
    }
    return m_files;
}

void PasteboardItem::addFilesObject(PasteboardFile *file)
{
    if (file)
        file->setItem(this);
}

void PasteboardItem::removeFilesObject(PasteboardFile *file)
{
    if (file && file->item() == this)
        file->setItem(nullptr);
}

void PasteboardItem::childAdded(HBManagedObject *child)
{
    if (auto *type = qobject_cast<PasteboardType *>(child)) {
        if (m_typesLoaded && !m_types.contains(type))
            m_types.append(type);
    } else if (auto *file = qobject_cast<PasteboardFile *>(child)) {
        if (m_filesLoaded && !m_files.contains(file))
            m_files.append(file);
    }
}

void PasteboardItem::childRemoved(HBManagedObject *child)
{
    if (auto *type = qobject_cast<PasteboardType *>(child))
        m_types.removeOne(type);
    else if (auto *file = qobject_cast<PasteboardFile *>(child))
        m_files.removeOne(file);
}

quint32 PasteboardItem::relatedObjectWillVanish(HBManagedObject *object)
{
    childRemoved(object);
    const bool isMain = m_mainTypeResolved ? m_mainType == object
                                           : object->objectID() == HBObjectID{HBEntity::Type, m_mainTypeId};
    if (!isMain)
        return 0;
    m_mainType = nullptr;
    m_mainTypeResolved = true;
    m_mainTypeId = 0;
    return 1u << MainTypeField;
}

QList<HBManagedObject *> PasteboardItem::cascadeTargets()
{
    QList<HBManagedObject *> targets;
    for (PasteboardType *type : types())
        targets.append(type);
    for (PasteboardFile *file : files())
        targets.append(file);
    if (PasteboardType *main = mainType(); main && !targets.contains(main))
        targets.append(main);
    return targets;
}

bool PasteboardItem::deleteEntityIgnoringFiles(bool ignoreFiles)
{
    if (!ignoreFiles) {
        if (!m_imagePath.isEmpty() && QFileInfo(m_imagePath).isFile())
            QFile::remove(m_imagePath);
        for (PasteboardFile *file : files()) {
            if (file->isRemovable() && !file->path().isEmpty())
                removeOwnFile(file->path());
        }
    }
    HBObjectContext *context = managedObjectContext();
    return context && context->deleteObject(this);
}

bool PasteboardItem::deleteEntity()
{
    return deleteEntityIgnoringFiles(false);
}

PasteboardType *PasteboardItem::typeNamed(const QString &type) const
{
    for (PasteboardType *candidate : types()) {
        if (candidate->type() == type)
            return candidate;
    }
    return nullptr;
}

QByteArray PasteboardItem::dataForType(const QString &type) const
{
    const PasteboardType *match = typeNamed(type);
    return match ? match->data() : QByteArray();
}

QVariant PasteboardItem::propertyListForType(const QString &type) const
{
    const PasteboardType *match = typeNamed(type);
    return match ? PropertyList::fromData(match->data()) : QVariant();
}

QString PasteboardItem::stringForType(const QString &type) const
{
    const PasteboardType *match = typeNamed(type);
    if (!match)
        return {};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(match->data());
    if (decoder.hasError())
        return {};
    return text.isNull() ? QStringLiteral("") : text;
}

QStringList PasteboardItem::filesFromData(const QByteArray &data)
{
    return ItemTitles::filesFromData(data);
}

QString PasteboardItem::fileNamesFromData(const QByteArray &data)
{
    return ItemTitles::fileNamesFromData(data);
}

PasteboardFile *PasteboardItem::previewFile() const
{
    const QList<PasteboardFile *> all = files();
    return all.isEmpty() ? nullptr : all.first();
}

QUrl PasteboardItem::previewItemURL() const
{
    const PasteboardFile *file = previewFile();
    return file && !file->path().isEmpty() ? QUrl::fromLocalFile(file->path()) : QUrl();
}

void PasteboardItem::updateTitleWithType(
    const QString &type, const QByteArray &data, const Pasteboard *pasteboard)
{
    if (m_imagePath.isEmpty())
        generatePreviewForTitleType(type, data);
    setTitle(ItemTitles::titleForType(type, data, pasteboard));
}

void PasteboardItem::generatePreviewForTitleType(const QString &type, const QByteArray &data)
{
    Q_UNUSED(type);
    Q_UNUSED(data);
}

void PasteboardItem::generateIconShouldSave(bool shouldSave)
{
    Q_UNUSED(shouldSave);
}

void PasteboardItem::updateIconWithURL(const QUrl &url)
{
    Q_UNUSED(url);
    m_iconIsPending = false;
    HBNotificationCenter::defaultCenter()->post(HBNotifications::IconChanged, this);
}

void PasteboardItem::awakeFromFetch()
{
    HBManagedObject::awakeFromFetch();
    if (!m_imagePath.isEmpty()) {
        QImage thumbnail;
        if (thumbnail.load(m_imagePath)) {
            m_iconImage = thumbnail;
            return;
        }
    }
    generateIconShouldSave(false);
}

QVariant PasteboardItem::primitiveValue(int field) const
{
    switch (field) {
    case DateField:
        return m_hasDate ? QVariant::fromValue<qint64>(m_dateMs) : QVariant();
    case ImagePathField:
        return m_imagePath.isNull() ? QVariant() : QVariant(m_imagePath);
    case PathField:
        return m_path.isNull() ? QVariant() : QVariant(m_path);
    case TitleField:
        return m_title.isNull() ? QVariant() : QVariant(m_title);
    case OrderField:
        return QVariant::fromValue<qint64>(m_order);
    case MainTypeField:
        if (!m_mainTypeResolved)
            return QVariant::fromValue<qint64>(m_mainTypeId);
        return m_mainType ? QVariant::fromValue<qint64>(m_mainType->objectID().rowId) : QVariant();
    }
    return {};
}

void PasteboardItem::setPrimitiveValue(int field, const QVariant &value)
{
    switch (field) {
    case DateField:
        m_hasDate = !value.isNull();
        m_dateMs = m_hasDate ? value.toLongLong() : 0;
        break;
    case ImagePathField:
        m_imagePath = value.toString();
        break;
    case PathField:
        m_path = value.toString();
        break;
    case TitleField:
        m_title = value.toString();
        break;
    case OrderField:
        m_order = qint16(qBound(qint64(std::numeric_limits<qint16>::min()), value.toLongLong(),
            qint64(std::numeric_limits<qint16>::max())));
        break;
    case MainTypeField:
        m_mainType = nullptr;
        m_mainTypeId = value.isNull() ? 0 : value.toLongLong();
        m_mainTypeResolved = m_mainTypeId == 0;
        break;
    }
}

HBManagedObject *PasteboardItem::relatedObjectForField(int field) const
{
    return field == MainTypeField && m_mainTypeResolved ? m_mainType : nullptr;
}
