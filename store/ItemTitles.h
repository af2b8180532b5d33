// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class Pasteboard;

/// Titles of items, derived from the representation an item was made from.
namespace ItemTitles {

/// The strings of a property-list array, each trimmed of spaces and tabs (not of line
/// breaks), empty ones dropped, in order.
QStringList filesFromData(const QByteArray &data);
/// For exactly one entry of filesFromData(): its last path component; otherwise "N files".
QString fileNamesFromData(const QByteArray &data);
/// The title for a representation; "File" when no rule gives one.
QString titleForType(const QString &type, const QByteArray &data, const Pasteboard *pasteboard);

} // namespace ItemTitles
