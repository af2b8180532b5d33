// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMimeData>
#include <QStringList>

#include <utility>

/// MIME data as another program offers it through the X server: formats in its order and
/// bytes as sent (Qt's own QMimeData would rewrite text/uri-list on the way).
class ForeignMimeData : public QMimeData
{
public:
    explicit ForeignMimeData(QList<std::pair<QString, QByteArray>> offered)
        : m_offered(std::move(offered))
    { }
    QStringList formats() const override
    {
        QStringList result;
        for (const auto &entry : m_offered)
            result.append(entry.first);
        return result;
    }
    bool hasFormat(const QString &format) const override { return formats().contains(format); }

protected:
    QVariant retrieveData(const QString &format, QMetaType) const override
    {
        for (const auto &entry : m_offered) {
            if (entry.first == format)
                return entry.second;
        }
        return {};
    }

private:
    QList<std::pair<QString, QByteArray>> m_offered;
};
