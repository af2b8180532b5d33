// SPDX-License-Identifier: GPL-3.0-or-later
#include "PropertyList.h"

#include "PropertyListGuard.h"

#include <QDateTime>

#include <plist/plist.h>

#include <cstdlib>
#include <limits>
#include <memory>

namespace {

struct PlistDeleter
{
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

struct CFree
{
    void operator()(char *p) const { std::free(p); }
};
using CString = std::unique_ptr<char, CFree>;

// Property-list dates count seconds from 2001-01-01 00:00:00 UTC.
const QDateTime &referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return date;
}

// Nesting is bounded so that a hostile document cannot exhaust the stack.
constexpr int kMaxDepth = 512;

QVariant toVariant(plist_t node, int depth)
{
    if (!node || depth > kMaxDepth)
        return {};
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return bool(value);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        // libplist keeps every integer unsigned; negative XML integers come back in
        // two's complement, so the signed reading is the faithful one.
        return static_cast<qint64>(value);
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return value;
    }
    case PLIST_STRING: {
        // By pointer and length: libplist's copying getter asserts (aborting the process)
        // when a string holds a NUL character.
        uint64_t length = 0;
        const char *value = plist_get_string_ptr(node, &length);
        if (!value || length > uint64_t(std::numeric_limits<qsizetype>::max()))
            return QString();
        return QString::fromUtf8(value, qsizetype(length));
    }
    case PLIST_KEY: {
        char *raw = nullptr;
        plist_get_key_val(node, &raw);
        CString value(raw);
        return value ? QString::fromUtf8(value.get()) : QString();
    }
    case PLIST_DATA: {
        char *raw = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &raw, &length);
        CString value(raw);
        if (!value || length > uint64_t(std::numeric_limits<qsizetype>::max()))
            return QByteArray("");
        return QByteArray(value.get(), qsizetype(length));
    }
    case PLIST_DATE: {
        int32_t seconds = 0;
        int32_t micros = 0;
        plist_get_date_val(node, &seconds, &micros);
        return referenceDate().addMSecs(qint64(seconds) * 1000 + micros / 1000);
    }
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return static_cast<qint64>(value);
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t size = plist_array_get_size(node);
        list.reserve(qsizetype(size));
        for (uint32_t i = 0; i < size; ++i)
            list.append(toVariant(plist_array_get_item(node, i), depth + 1));
        return list;
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        if (!iter)
            return map;
        for (;;) {
            char *rawKey = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &rawKey, &value);
            CString key(rawKey);
            if (!value)
                break;
            map.insert(QString::fromUtf8(key ? key.get() : ""), toVariant(value, depth + 1));
        }
        std::free(iter);
        return map;
    }
    case PLIST_NONE:
        break;
    }
    return {};
}

plist_t fromVariant(const QVariant &value, int depth)
{
    if (depth > kMaxDepth)
        return nullptr;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QString:
    case QMetaType::QUrl:
        return plist_new_string(value.toString().toUtf8().constData());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    case QMetaType::QDateTime: {
        const qint64 ms = referenceDate().msecsTo(value.toDateTime());
        return plist_new_date(int32_t(ms / 1000), int32_t((ms % 1000) * 1000));
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        PlistPtr array(plist_new_array());
        for (const QVariant &entry : value.toList()) {
            plist_t child = fromVariant(entry, depth + 1);
            if (!child)
                return nullptr;
            plist_array_append_item(array.get(), child);
        }
        return static_cast<plist_t>(array.release());
    }
    case QMetaType::QVariantMap: {
        PlistPtr dict(plist_new_dict());
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            plist_t child = fromVariant(it.value(), depth + 1);
            if (!child)
                return nullptr;
            plist_dict_set_item(dict.get(), it.key().toUtf8().constData(), child);
        }
        return static_cast<plist_t>(dict.release());
    }
    default:
        return nullptr;
    }
}

} // namespace

namespace PropertyList {

QVariant fromData(const QByteArray &data)
{
    if (data.isEmpty() || data.size() > std::numeric_limits<int32_t>::max())
        return {};
    if (!PropertyListGuard::withinLimits(data))
        return {};
    plist_t root = nullptr;
    plist_from_memory(data.constData(), uint32_t(data.size()), &root);
    PlistPtr owner(root);
    return toVariant(root, 0);
}

QByteArray toXml(const QVariant &value)
{
    PlistPtr root(fromVariant(value, 0));
    if (!root)
        return {};
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &xml, &length);
    if (!xml)
        return {};
    QByteArray result(xml, qsizetype(length));
    plist_to_xml_free(xml);
    return result;
}

QStringList stringArray(const QByteArray &data)
{
    const QVariant value = fromData(data);
    if (value.typeId() != QMetaType::QVariantList)
        return {};
    QStringList result;
    for (const QVariant &entry : value.toList()) {
        if (entry.typeId() == QMetaType::QString)
            result.append(entry.toString());
    }
    return result;
}

QByteArray xmlStringArray(const QStringList &strings)
{
    return toXml(QVariant(strings));
}

} // namespace PropertyList
