// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBObjectID.h"

#include <QList>
#include <QMetaType>

#include <utility>

/// What one committed save changed, as permanent ids. The main context merges the change
/// sets of other contexts' saves into its own objects.
struct HBChangeSet
{
    QList<HBObjectID> inserted;
    /// Each updated object with the mask of its changed fields (bit n = field n).
    QList<std::pair<HBObjectID, quint32>> updated;
    QList<HBObjectID> deleted;

    bool isEmpty() const { return inserted.isEmpty() && updated.isEmpty() && deleted.isEmpty(); }
};

Q_DECLARE_METATYPE(HBChangeSet)
