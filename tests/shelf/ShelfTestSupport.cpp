// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShelfTestSupport.h"

#include "HBDraggingTableView.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "PasteboardItem.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void ShelfTest::SetUp()
{
    HBObjectStore::shared()->setup();
    HBWorkspace::setSharedWorkspace(&m_workspace);
}

void ShelfTest::TearDown()
{
    m_controller.reset();
    HBWorkspace::setSharedWorkspace(nullptr);
    HBObjectStore::shared()->close();
}

QList<PasteboardItem *> ShelfTest::addItems(int count, const QString &prefix)
{
    HBObjectContext *context = HBObjectStore::shared()->defaultContext();
    QList<PasteboardItem *> items;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < count; ++i) {
        PasteboardItem *item = PasteboardItem::create(context);
        item->setTitle(QStringLiteral("%1 %2.txt").arg(prefix).arg(i));
        item->setDate(now);
        item->setOrder(m_nextOrder++);
        items.append(item);
    }
    context->saveAndWait();
    return items;
}

HBDockWindowController &ShelfTest::shelf()
{
    if (!m_controller)
        m_controller = HBDockWindowController::controller();
    return *m_controller;
}

QRect ShelfTest::screenArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

int ShelfTest::expectedHeight(int count)
{
    HBDockWindowController &controller = shelf();
    const int row = controller.tableView()->rowHeight();
    const int spacing = controller.tableView()->intercellSpacing();
    const int options = controller.optionsView()->height();
    return std::max(row + options, (row + spacing) * count + options);
}
