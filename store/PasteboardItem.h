// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBFetchRequest.h"
#include "HBManagedObject.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

class Pasteboard;
class PasteboardFile;
class PasteboardType;

/// One shelf entry: its representations (types), its main representation, the files that
/// stand for it, and what the shelf shows (title, picture).
class PasteboardItem : public HBManagedObject
{
    Q_OBJECT

public:
    /// Stored fields, in column order.
    enum Field { DateField, ImagePathField, PathField, TitleField, OrderField, MainTypeField };

    /// A new, unsaved item in `context` (nullptr: the default context).
    static PasteboardItem *create(HBObjectContext *context = nullptr);
    /// A request for all items (the caller adds sort keys).
    static HBFetchRequest fetchRequest();
    /// A new unsaved item in the default context for files: one NSFilenamesPboardType
    /// representation (an XML property list of the paths) that is both its mainType and its
    /// only type, titled by the file name or "N files", no date, order 0. nullptr, with
    /// nothing left in the context, when the paths can't be serialised.
    static PasteboardItem *pasteboardItemWithFilePaths(const QStringList &paths);

    /// When the item was added; invalid for items made from file paths.
    QDateTime date() const;
    void setDate(const QDateTime &date);
    /// The saved thumbnail (a PNG in the thumbnails folder); empty when none.
    QString imagePath() const { return m_imagePath; }
    void setImagePath(const QString &imagePath);
    QString path() const { return m_path; }
    void setPath(const QString &path);
    QString title() const { return m_title; }
    void setTitle(const QString &title);
    /// Position in the shelf list (16 bits).
    qint16 order() const { return m_order; }
    /// Values beyond the 16-bit range saturate, so that items past the 32767th still sort
    /// after the others.
    void setOrder(int order);

    /// The principal representation; not necessarily one of types().
    PasteboardType *mainType() const;
    void setMainType(PasteboardType *mainType);
    /// Every representation kept for the item, in the order they were stored.
    QList<PasteboardType *> types() const;
    void addTypesObject(PasteboardType *type);
    void removeTypesObject(PasteboardType *type);
    /// The files that stand for the item.
    QList<PasteboardFile *> files() const;
    void addFilesObject(PasteboardFile *file);
    void removeFilesObject(PasteboardFile *file);

    /// In memory: the picture the shelf shows.
    QImage iconImage() const { return m_iconImage; }
    void setIconImage(const QImage &image) { m_iconImage = image; }
    /// In memory: a picture is being generated, so no second generation starts.
    bool isGeneratingIcon() const { return m_isGeneratingIcon; }
    void setIsGeneratingIcon(bool generating) { m_isGeneratingIcon = generating; }
    /// In memory: the real picture is still being produced; the shelf shows it as pending.
    bool iconIsPending() const { return m_iconIsPending; }
    void setIconIsPending(bool pending) { m_iconIsPending = pending; }

    /// Marks the item deleted in its context (with its representations and file records).
    /// Unless `ignoreFiles`, first removes its thumbnail and each removable file, and a
    /// removable file's folder when nothing else is left in it; the user's own files are
    /// never touched and removal errors are ignored. The caller saves.
    bool deleteEntityIgnoringFiles(bool ignoreFiles);
    /// deleteEntityIgnoringFiles(false).
    bool deleteEntity();

    /// The data of the first representation in types() with this type name; null if none.
    QByteArray dataForType(const QString &type) const;
    /// That data as a property list (any format); invalid when absent or unreadable.
    QVariant propertyListForType(const QString &type) const;
    /// That data as UTF-8 text; a null string when absent or not valid UTF-8.
    QString stringForType(const QString &type) const;
    /// The strings of a property-list array, trimmed of spaces and tabs, empty ones dropped.
    static QStringList filesFromData(const QByteArray &data);
    /// One entry: its file name; otherwise "N files".
    static QString fileNamesFromData(const QByteArray &data);

    /// The file record a preview shows: any one of files(); nullptr when there is none.
    PasteboardFile *previewFile() const;
    /// The file URL of previewFile()'s path; empty when there is no file.
    QUrl previewItemURL() const;
    QString previewItemTitle() const { return m_title; }

    /// Sets the title derived from a representation (ItemTitles::titleForType); `pasteboard`
    /// is the one the item comes from, when there is one.
    void updateTitleWithType(
        const QString &type, const QByteArray &data, const Pasteboard *pasteboard = nullptr);

    /// Makes the item's picture from its main representation and, when `shouldSave`, keeps
    /// it as the thumbnail. The picture rules are not in place yet: it leaves the picture as
    /// it is, so the shelf shows the type icon of the title.
    void generateIconShouldSave(bool shouldSave);
    /// The item's real content has arrived as the file at `url`: replaces the picture with a
    /// thumbnail of that file, clears iconIsPending and posts "HB.icon.changed". Main thread
    /// (the thumbnail itself is to be made off it). The thumbnail renderer is not in place
    /// yet: the picture stays as it is.
    void updateIconWithURL(const QUrl &url);

protected:
    void awakeFromFetch() override;
    QVariant primitiveValue(int field) const override;
    void setPrimitiveValue(int field, const QVariant &value) override;
    HBManagedObject *relatedObjectForField(int field) const override;
    void childAdded(HBManagedObject *child) override;
    void childRemoved(HBManagedObject *child) override;
    quint32 relatedObjectWillVanish(HBManagedObject *object) override;
    QList<HBManagedObject *> cascadeTargets() override;

private:
    friend class HBObjectContext;
    friend class PasteboardFile;
    friend class PasteboardType;
    explicit PasteboardItem(HBObjectContext *context);

    /// Starts the preview picture for a representation the title comes from; the preview
    /// rules are not in place yet, so it does nothing.
    void generatePreviewForTitleType(const QString &type, const QByteArray &data);
    PasteboardType *typeNamed(const QString &type) const;

    qint64 m_dateMs = 0;
    bool m_hasDate = false;
    qint16 m_order = 0;
    QString m_imagePath;
    QString m_path;
    QString m_title;
    // Relationships are read from the store on first use.
    mutable PasteboardType *m_mainType = nullptr;
    mutable qint64 m_mainTypeId = 0;
    mutable bool m_mainTypeResolved = true;
    mutable QList<PasteboardType *> m_types;
    mutable bool m_typesLoaded = false;
    mutable QList<PasteboardFile *> m_files;
    mutable bool m_filesLoaded = false;

    QImage m_iconImage;
    bool m_isGeneratingIcon = false;
    bool m_iconIsPending = false;
};
