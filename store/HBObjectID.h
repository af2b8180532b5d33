// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBEntity.h"

#include <QHashFunctions>
#include <QMetaType>

/// Names one stored object across contexts: its entity and its row id. An unsaved object has
/// a temporary (negative) id that only its own context knows; saving gives it the permanent
/// row id, which any context can then use with HBObjectContext::objectWithID().
struct HBObjectID
{
    HBEntity entity = HBEntity::Item;
    qint64 rowId = 0;

    bool isNull() const { return rowId == 0; }
    bool isTemporary() const { return rowId < 0; }
    friend bool operator==(const HBObjectID &, const HBObjectID &) = default;
};

inline size_t qHash(const HBObjectID &id, size_t seed = 0)
{
    return qHashMulti(seed, int(id.entity), id.rowId);
}

Q_DECLARE_METATYPE(HBObjectID)
