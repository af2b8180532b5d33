// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Pasteboard.h"

#include <QList>
#include <utility>

/// A pasteboard held in memory: for tests and for building content before it is handed over.
class MemoryPasteboard final : public Pasteboard
{
public:
    MemoryPasteboard() = default;
    /// Content in offer order: pairs of type and bytes.
    explicit MemoryPasteboard(QList<std::pair<QString, QByteArray>> content);

    QStringList types() const override;
    QByteArray dataForType(const QString &type) const override;
    qint64 changeCount() const override { return m_changeCount; }

    void clearContents() override;
    void addTypes(const QStringList &types) override;
    bool setData(const QByteArray &data, const QString &type) override;

private:
    QList<std::pair<QString, QByteArray>> m_content;
    qint64 m_changeCount = 0;
};
