// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Pasteboard.h"

class HBDragSelection;

/// The drag in progress anywhere on the screen as a pasteboard: its types are the Kelvora
/// types its offered MIME types can carry, judged by name. It holds no data — peeking at a
/// drag must never run the source's data handlers — and cannot be written. Main thread only.
class HBDragPasteboard final : public Pasteboard
{
public:
    /// The drag of `selection` (the shared one when null).
    explicit HBDragPasteboard(const HBDragSelection *selection = nullptr);

    /// Whether the source told its types. When it did not, nothing is known about the drag.
    bool typesKnown() const;

    QStringList types() const override;
    /// Always null: a drag is not asked for data while it is only being watched.
    QByteArray dataForType(const QString &type) const override;
    qint64 changeCount() const override;

    void clearContents() override { }
    void addTypes(const QStringList &) override { }
    bool setData(const QByteArray &, const QString &) override { return false; }

private:
    const HBDragSelection &selection() const;

    const HBDragSelection *m_selection;
};
