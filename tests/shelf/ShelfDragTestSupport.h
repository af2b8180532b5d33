// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

class PasteboardItem;

/// Items as intake and the file manager leave them, built directly in the store, for the
/// drag-and-drop tests of the shelf.
namespace ShelfDragTestSupport {

struct FileRecipe
{
    QString path;
    /// A copy in the storage folder (true) or the user's own file (false, with a bookmark).
    bool removable = true;
};

struct ItemRecipe
{
    QString title;
    /// The main representation; for NSFilenamesPboardType the data is made from `paths`.
    QString mainType;
    QByteArray mainData;
    QStringList paths;
    /// Further representations, in order.
    QList<std::pair<QString, QByteArray>> types;
    QList<FileRecipe> files;
};

/// Adds a saved item with order `order` to the default context.
PasteboardItem *addItem(const ItemRecipe &recipe, int order);

/// A file item for `path` (a user's file when not `removable`), as a drop of that file
/// becomes once its file is recorded.
ItemRecipe fileItem(const QString &path, bool removable = false);

/// The rows' titles in display order.
QStringList titles(const QList<PasteboardItem *> &items);

} // namespace ShelfDragTestSupport
