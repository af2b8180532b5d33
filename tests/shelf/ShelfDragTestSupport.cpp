// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShelfDragTestSupport.h"

#include "FileBookmark.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "PasteboardFile.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"

#include <QDateTime>

namespace ShelfDragTestSupport {

PasteboardItem *addItem(const ItemRecipe &recipe, int order)
{
    HBObjectContext *context = HBObjectStore::shared()->defaultContext();
    PasteboardItem *item = PasteboardItem::create(context);
    item->setTitle(recipe.title);
    item->setDate(QDateTime::currentDateTimeUtc());
    item->setOrder(order);
    if (!recipe.mainType.isEmpty()) {
        PasteboardType *main = PasteboardType::create(context);
        main->setType(recipe.mainType);
        main->setData(recipe.mainType == PasteboardTypes::NSFilenamesPboardType
                ? PropertyList::xmlStringArray(recipe.paths)
                : recipe.mainData);
        item->setMainType(main);
    }
    for (const auto &[name, data] : recipe.types) {
        PasteboardType *type = PasteboardType::create(context);
        type->setType(name);
        type->setData(data);
        type->setItem(item);
    }
    for (const FileRecipe &fileRecipe : recipe.files) {
        PasteboardFile *file = PasteboardFile::create(context);
        file->setPath(fileRecipe.path);
        file->setIsRemovable(fileRecipe.removable);
        if (!fileRecipe.removable)
            file->setBookmarkData(FileBookmark::create(fileRecipe.path));
        item->addFilesObject(file);
    }
    context->saveAndWait();
    return item;
}

ItemRecipe fileItem(const QString &path, bool removable)
{
    ItemRecipe recipe;
    recipe.title = path.section(u'/', -1);
    recipe.mainType = PasteboardTypes::NSFilenamesPboardType;
    recipe.paths = {path};
    recipe.types = {{PasteboardTypes::NSFilenamesPboardType, PropertyList::xmlStringArray({path})}};
    recipe.files = {{path, removable}};
    return recipe;
}

QStringList titles(const QList<PasteboardItem *> &items)
{
    QStringList result;
    for (const PasteboardItem *item : items)
        result.append(item->title());
    return result;
}

} // namespace ShelfDragTestSupport
