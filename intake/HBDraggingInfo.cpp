// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBDraggingInfo.h"

#include "HBMimePasteboard.h"

#include <QDropEvent>

HBDraggingInfo::HBDraggingInfo(const QDropEvent &event)
    : m_ownPasteboard(std::make_unique<HBMimePasteboard>(event.mimeData()))
    , m_pasteboard(m_ownPasteboard.get())
    , m_source(event.source())
{ }

HBDraggingInfo::HBDraggingInfo(Pasteboard *pasteboard, QObject *source)
    : m_pasteboard(pasteboard)
    , m_source(source)
{ }

HBDraggingInfo::~HBDraggingInfo() = default;
