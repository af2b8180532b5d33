// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBDragSelection.h"

/// A drag selection whose drags the test starts.
class HBFakeDragSelection final : public HBDragSelection
{
    Q_OBJECT
public:
    using HBDragSelection::HBDragSelection;

    qint64 changeCount() const override { return m_changeCount; }
    bool isOwnDrag() const override { return m_own; }
    std::optional<QStringList> offeredTypes() const override { return m_types; }

    /// A new drag offering `types` (nullopt: types unknown) begins.
    void beginDrag(std::optional<QStringList> types, bool own = false)
    {
        m_types = std::move(types);
        m_own = own;
        ++m_changeCount;
        Q_EMIT changed();
    }

private:
    qint64 m_changeCount = 0;
    bool m_own = false;
    std::optional<QStringList> m_types = QStringList();
};
