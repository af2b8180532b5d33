// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringList>
#include <QVariant>

/// Property lists, read in any format libplist knows (XML or binary) and written as XML.
/// Values map to QVariant: arrays ↔ QVariantList, dictionaries ↔ QVariantMap, strings ↔
/// QString, data ↔ QByteArray, booleans, integers (qint64), reals (double), dates (UTC).
namespace PropertyList {

/// The decoded value; invalid for empty or unreadable input. Never throws or aborts.
QVariant fromData(const QByteArray &data);
/// The XML serialisation; empty when the value holds something a property list can't.
QByteArray toXml(const QVariant &value);

/// The strings of a property-list array; entries that are not strings are skipped.
/// Empty when the data is not an array.
QStringList stringArray(const QByteArray &data);
/// XML of an array of strings, as the file-list representation stores paths.
QByteArray xmlStringArray(const QStringList &strings);

} // namespace PropertyList
