// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pasteboard.h"

#include "MemoryPasteboard.h"
#include "PropertyList.h"

QString Pasteboard::availableTypeFromArray(const QStringList &candidates) const
{
    const QStringList offered = types();
    for (const QString &candidate : candidates) {
        if (offered.contains(candidate))
            return candidate;
    }
    return {};
}

QVariant Pasteboard::propertyListForType(const QString &type) const
{
    const QByteArray data = dataForType(type);
    if (data.isNull())
        return {};
    return PropertyList::fromData(data);
}

bool Pasteboard::setPropertyList(const QVariant &plist, const QString &type)
{
    const QByteArray xml = PropertyList::toXml(plist);
    if (xml.isEmpty())
        return false;
    return setData(xml, type);
}

MemoryPasteboard::MemoryPasteboard(QList<std::pair<QString, QByteArray>> content)
    : m_content(std::move(content))
    , m_changeCount(1)
{
}

QStringList MemoryPasteboard::types() const
{
    QStringList result;
    result.reserve(m_content.size());
    for (const auto &entry : m_content)
        result.append(entry.first);
    return result;
}

QByteArray MemoryPasteboard::dataForType(const QString &type) const
{
    for (const auto &entry : m_content) {
        if (entry.first == type)
            return entry.second;
    }
    return {};
}

void MemoryPasteboard::clearContents()
{
    m_content.clear();
    ++m_changeCount;
}

void MemoryPasteboard::addTypes(const QStringList &types)
{
    for (const QString &type : types) {
        if (!this->types().contains(type))
            m_content.append({type, QByteArray()});
    }
}

bool MemoryPasteboard::setData(const QByteArray &data, const QString &type)
{
    for (auto &entry : m_content) {
        if (entry.first == type) {
            entry.second = data;
            return true;
        }
    }
    m_content.append({type, data});
    return true;
}
