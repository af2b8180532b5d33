// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBFetchRequest.h"
#include "HBItemLink.h"
#include "HBManagedObject.h"

#include <QByteArray>
#include <QString>

class PasteboardItem;

/// One file that stands for an item: a file the user dropped (not removable, with a
/// bookmark) or one Kelvora wrote into its storage folder (removable with the item).
class PasteboardFile : public HBManagedObject
{
    Q_OBJECT

public:
    /// Stored fields, in column order.
    enum Field { BookmarkDataField, IsRemovableField, PathField, IsAliasField, ItemField };

    /// A new, unsaved record in `context` (nullptr: the default context); removable, no alias.
    static PasteboardFile *create(HBObjectContext *context = nullptr);
    /// A request for all file records.
    static HBFetchRequest fetchRequest();

    QByteArray bookmarkData() const { return m_bookmarkData; }
    void setBookmarkData(const QByteArray &bookmarkData);
    bool isRemovable() const { return m_isRemovable; }
    void setIsRemovable(bool isRemovable);
    QString path() const { return m_path; }
    void setPath(const QString &path);
    bool isAlias() const { return m_isAlias; }
    void setIsAlias(bool isAlias);

    /// The owning item (inverse of PasteboardItem::files()).
    PasteboardItem *item() const;
    /// Moves the record to `item`'s files (nullptr: detaches it).
    void setItem(PasteboardItem *item);

    /// In memory: whether the record watches its file for moves.
    bool listenerAdded() const { return m_listenerAdded; }
    void setListenerAdded(bool listenerAdded) { m_listenerAdded = listenerAdded; }

protected:
    QVariant primitiveValue(int field) const override;
    void setPrimitiveValue(int field, const QVariant &value) override;
    HBManagedObject *relatedObjectForField(int field) const override;
    HBManagedObject *owner() const override;

private:
    friend class HBObjectContext;
    explicit PasteboardFile(HBObjectContext *context);

    QByteArray m_bookmarkData;
    QString m_path;
    bool m_isRemovable = true;
    bool m_isAlias = false;
    bool m_listenerAdded = false;
    mutable HBItemLink m_item;
};
