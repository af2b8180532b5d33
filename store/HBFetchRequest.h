// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBEntity.h"

#include <QList>
#include <QString>
#include <QVariant>

/// One sort key of a fetch: an attribute name of the entity and its direction. A missing
/// value (a nil date) sorts before every value ascending and after every value descending,
/// as SQLite orders NULL.
struct HBSortDescriptor
{
    QString key;
    bool ascending = true;
};

/// Which objects of one entity a fetch returns and in which order: all of them, or those
/// whose attribute `predicateKey` equals `predicateValue` (the store's "key = $VALUE"
/// template). Relationship keys compare by row id.
struct HBFetchRequest
{
    HBEntity entity = HBEntity::Item;
    QList<HBSortDescriptor> sortDescriptors;
    QString predicateKey;
    QVariant predicateValue;

    /// A request for all objects of the entity with that table name; `ok` false when the
    /// name is no entity.
    static HBFetchRequest fetchRequestWithEntityName(const QString &name, bool *ok = nullptr);

    HBFetchRequest &sortedBy(const QString &key, bool ascending = true)
    {
        sortDescriptors.append({key, ascending});
        return *this;
    }
    HBFetchRequest &where(const QString &key, const QVariant &value)
    {
        predicateKey = key;
        predicateValue = value;
        return *this;
    }
};
