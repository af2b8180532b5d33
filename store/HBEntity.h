// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1StringView>
#include <QList>
#include <QString>

#include <cstdint>

/// The three stored entities. Each is one table named after the entity, with one column per
/// attribute or to-one relationship and an INTEGER PRIMARY KEY "id".
enum class HBEntity : std::uint8_t { Item, Type, File };

/// What the store knows about an entity's table. Field numbers are the column positions
/// below; they are also the bit numbers of an object's changed-field mask.
struct HBEntityDescription
{
    HBEntity entity;
    QLatin1StringView name;
    QList<QLatin1StringView> columns;
    /// Bits of the columns that hold the row id of another object (to-one relationships).
    quint32 relationshipMask;

    static const HBEntityDescription &of(HBEntity entity);
    /// The description for "PasteboardItem", "PasteboardType" or "PasteboardFile"; nullptr otherwise.
    static const HBEntityDescription *named(const QString &name);
    /// The field number of a column; -1 when the entity has no such column.
    int field(const QString &column) const;
};
