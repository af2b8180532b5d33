// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBInputMonitor.h"

#include <QCursor>
#include <QGuiApplication>

/// Reports no events; the pointer comes from Qt.
class HBNullInputMonitor final : public HBInputMonitor
{
    Q_OBJECT
public:
    using HBInputMonitor::HBInputMonitor;

    QPoint mouseLocation() const override { return QCursor::pos(); }
    Qt::MouseButtons pressedMouseButtons() const override { return QGuiApplication::mouseButtons(); }
};
