// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaType>
#include <QtGlobal>

/// A global hot key: modifier flags (shift 1<<17, control 1<<18, option 1<<19,
/// command 1<<20) and a key code. (0, 0) means no combination is set.
struct HBKeyCombo
{
    quint64 modifierFlags = 0;
    qint64 keyCode = 0;

    static constexpr quint64 ShiftFlag = quint64(1) << 17;
    static constexpr quint64 ControlFlag = quint64(1) << 18;
    static constexpr quint64 OptionFlag = quint64(1) << 19;
    static constexpr quint64 CommandFlag = quint64(1) << 20;

    bool isEmpty() const { return modifierFlags == 0 && keyCode == 0; }
    bool operator==(const HBKeyCombo &) const = default;
};
Q_DECLARE_METATYPE(HBKeyCombo)
