// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

/// A pasteboard as the core sees it: types are Kelvora's type names (PasteboardTypes.h)
/// or MIME names passed through, data is in the formats the store keeps. The adapter over
/// Qt's clipboard and drops (intake/) and the in-memory pasteboard of the tests implement it.
class Pasteboard
{
public:
    virtual ~Pasteboard() = default;

    /// Every type offered, in the pasteboard's order.
    virtual QStringList types() const = 0;
    /// The bytes of one type; a null QByteArray when the type is not offered.
    virtual QByteArray dataForType(const QString &type) const = 0;
    /// Increases whenever the content is replaced; equal counts mean the same content.
    virtual qint64 changeCount() const = 0;

    /// The first of `candidates`, in their order, that this pasteboard offers; empty if none.
    QString availableTypeFromArray(const QStringList &candidates) const;
    /// The property list decoded from one type's data; invalid when absent or unreadable.
    QVariant propertyListForType(const QString &type) const;

    /// Writing: empties the pasteboard.
    virtual void clearContents() = 0;
    /// Declares further types; their data may follow with setData().
    virtual void addTypes(const QStringList &types) = 0;
    /// Stores bytes under a type; false when the pasteboard refuses.
    virtual bool setData(const QByteArray &data, const QString &type) = 0;
    /// Stores a property list (as XML) under a type.
    bool setPropertyList(const QVariant &plist, const QString &type);

protected:
    Pasteboard() = default;
    Pasteboard(const Pasteboard &) = default;
    Pasteboard &operator=(const Pasteboard &) = default;
};
