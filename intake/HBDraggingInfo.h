// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>

#include <memory>

class HBMimePasteboard;
class Pasteboard;
class QDropEvent;
class QObject;

/// What a drop target knows about the drag being dropped: its pasteboard and where it
/// came from. Lives no longer than the drop event it was made from.
class HBDraggingInfo
{
public:
    /// The drag of a drop (or drag-enter/move) event; its pasteboard reads the event's data.
    explicit HBDraggingInfo(const QDropEvent &event);
    /// A drag given by its parts (tests, and callers that already hold a pasteboard).
    HBDraggingInfo(Pasteboard *pasteboard, QObject *source);
    ~HBDraggingInfo();

    HBDraggingInfo(const HBDraggingInfo &) = delete;
    HBDraggingInfo &operator=(const HBDraggingInfo &) = delete;

    /// The pasteboard of the drag.
    Pasteboard *draggingPasteboard() const { return m_pasteboard; }
    /// The object that started the drag inside this application; nullptr when the drag
    /// began in another application (Qt knows the source only of its own drags).
    QObject *draggingSource() const { return m_source; }

private:
    std::unique_ptr<HBMimePasteboard> m_ownPasteboard;
    Pasteboard *m_pasteboard = nullptr;
    QPointer<QObject> m_source;
};
