// SPDX-License-Identifier: GPL-3.0-or-later
// Real drags under X: a Qt and a GTK 3 program, each its own process, drag into a drop
// target of this process through the Xdnd protocol, and the target hands each drop to
// the intake, as the shelf does. The items are checked in the store.
#include "DragSourceProcess.h"
#include "HBDraggingInfo.h"
#include "HBMimeTypes.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBPasteboardHelper.h"
#include "HBUserDefaults.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"
#include "TestSupport.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace T = PasteboardTypes;

namespace {

/// A window that takes drags from other programs, as the shelf list does: only drags
/// that can carry a registered type, only from outside, handed to the intake.
class DropTarget : public QWidget
{
public:
    int drops = 0;
    bool accepted = false;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        if (!event->source()
            && HBMimeTypes::formatsCanCarry(
                event->mimeData()->formats(), HBPasteboardHelper::shelfDropTypes()))
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent *event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent *event) override
    {
        const HBDraggingInfo info(*event);
        accepted = !info.draggingSource()
            && HBPasteboardHelper::sharedHelper().acceptDrop(info.draggingPasteboard(), &info);
        ++drops;
        if (accepted)
            event->acceptProposedAction();
        else
            event->ignore();
    }
};

using Toolkit = DragSourceProcess::Toolkit;

struct DragCase
{
    const char *name;
    Toolkit toolkit;
    QStringList options;
};

void PrintTo(const DragCase &c, std::ostream *os)
{
    *os << c.name;
}

QStringList typeNames(const PasteboardItem *item)
{
    QStringList names;
    for (const PasteboardType *type : item->types())
        names.append(type->type());
    return names;
}

class RealDrag : public ::testing::TestWithParam<DragCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::onDisplay());
        ASSERT_TRUE(HBObjectStore::shared()->setup());
        HBUserDefaults::standardUserDefaults().setCombineIntoStacks(false);
        m_target.setWindowTitle(QStringLiteral("Kelvora drop target"));
        m_target.setAcceptDrops(true);
        m_target.resize(300, 300);
        m_target.move(900, 400);
        m_target.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_target));
    }
    void TearDown() override { HBObjectStore::shared()->close(); }

    /// Drags from a new source process into the target; the items in the store after it.
    QList<PasteboardItem *> dragInto(Toolkit toolkit, const QStringList &options)
    {
        DragSourceProcess source;
        EXPECT_TRUE(source.start(toolkit, options)) << qPrintable(source.error());
        const int before = m_target.drops;
        EXPECT_TRUE(source.dragTo(m_target.mapToGlobal(m_target.rect().center())));
        EXPECT_TRUE(TestSupport::waitUntil([&] { return m_target.drops > before; }, std::chrono::seconds(10)))
            << "no drop; source said: " << qPrintable(source.output());
        EXPECT_TRUE(m_target.accepted);
        return HBObjectStore::shared()->defaultContext()->fetchItems();
    }

    DropTarget m_target;
};

const QString kUrl = QStringLiteral("https://example.org/docs/page.html");
const QString kPictureUrl = QStringLiteral("https://cdn.example.org/p/cat.png");
const QString kText = QStringLiteral("Grüße aus dem Test");

TEST_P(RealDrag, DropBecomesItems)
{
    const DragCase &c = GetParam();
    QStringList options = c.options;
    const QString kind = options.first();
    QStringList files;
    if (kind == u"--files") {
        for (const char *name : {"one.txt", "two words.txt"}) {
            files.append(TestSupport::home() + u"/files/" + QString::fromLatin1(name));
            ASSERT_TRUE(TestSupport::writeFile(files.back(), "x"));
        }
        options += files;
    }
    const QList<PasteboardItem *> items = dragInto(c.toolkit, options);

    if (kind == u"--files") {
        ASSERT_EQ(items.size(), 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(items[i]->mainType()->type(), QString(T::NSFilenamesPboardType));
            EXPECT_EQ(PropertyList::stringArray(items[i]->mainType()->data()), QStringList{files[i]});
            EXPECT_EQ(items[i]->title(), files[i].section(u'/', -1));
            EXPECT_EQ(items[i]->order(), i + 1);
        }
        return;
    }
    ASSERT_EQ(items.size(), 1);
    const PasteboardItem *item = items.first();
    const QStringList stored = typeNames(item);
    const QString printed = stored.join(u", ");
    for (const QString &type : stored)
        EXPECT_FALSE(HBMimeTypes::isTransferType(type)) << qPrintable(type);

    if (kind == u"--text") {
        EXPECT_EQ(item->mainType()->type(), QString(T::NSStringPboardType));
        EXPECT_EQ(item->dataForType(T::NSStringPboardType), kText.toUtf8());
        EXPECT_EQ(item->title(), kText);
    } else if (kind == u"--link") {
        EXPECT_EQ(item->mainType()->type(), QString(T::WebURLsWithTitlesPboardType)) << qPrintable(printed);
        EXPECT_EQ(PropertyList::stringArray(item->dataForType(T::NSURLPboardType)), QStringList{kUrl});
        EXPECT_TRUE(stored.contains(T::NSStringPboardType)) << qPrintable(printed);
        EXPECT_TRUE(stored.contains(T::NSHTMLPboardType)) << qPrintable(printed);
        EXPECT_FALSE(stored.contains(T::NSFilenamesPboardType)) << qPrintable(printed);
        EXPECT_EQ(item->title(), QStringLiteral("The Docs"));
    } else {
        // Both browsers put an <img> fragment beside the picture: the item names itself
        // from its source address, and keeps the picture's bytes too.
        EXPECT_EQ(item->mainType()->type(), QString(T::ChromiumImageHTML)) << qPrintable(printed);
        EXPECT_TRUE(QString::fromUtf8(item->mainType()->data()).contains(kPictureUrl));
        EXPECT_FALSE(QImage::fromData(item->dataForType(T::NSTIFFPboardType)).isNull())
            << qPrintable(printed);
        EXPECT_TRUE(QString::fromUtf8(item->dataForType(T::NSHTMLPboardType)).contains(kPictureUrl));
        EXPECT_EQ(item->title(), QStringLiteral("cat.png"));
    }
}

INSTANTIATE_TEST_SUITE_P(Sources, RealDrag,
    ::testing::Values(DragCase{"QtFiles", Toolkit::Qt, {QStringLiteral("--files")}},
        DragCase{"GtkFiles", Toolkit::Gtk, {QStringLiteral("--files")}},
        DragCase{"QtText", Toolkit::Qt, {QStringLiteral("--text"), kText}},
        DragCase{"GtkText", Toolkit::Gtk, {QStringLiteral("--text"), kText}},
        DragCase{"QtLink", Toolkit::Qt, {QStringLiteral("--link"), kUrl, QStringLiteral("The Docs")}},
        DragCase{"GtkLink", Toolkit::Gtk, {QStringLiteral("--link"), kUrl, QStringLiteral("The Docs")}},
        DragCase{"QtChromiumPicture", Toolkit::Qt, {QStringLiteral("--picture-chromium"), kPictureUrl}},
        DragCase{"GtkChromiumPicture", Toolkit::Gtk, {QStringLiteral("--picture-chromium"), kPictureUrl}},
        DragCase{"QtFirefoxPicture", Toolkit::Qt, {QStringLiteral("--picture-firefox"), kPictureUrl}},
        DragCase{"GtkFirefoxPicture", Toolkit::Gtk, {QStringLiteral("--picture-firefox"), kPictureUrl}}),
    [](const ::testing::TestParamInfo<DragCase> &row) { return std::string(row.param.name); });

TEST(PrimarySelection, TextSelectedInAnotherProgramBecomesAnItem)
{
    ASSERT_TRUE(HBObjectStore::shared()->setup());
    DragSourceProcess other;
    ASSERT_TRUE(other.start(Toolkit::Qt, {QStringLiteral("--select"), QStringLiteral("selected elsewhere")}))
        << qPrintable(other.error());
    HBPasteboardHelper &helper = HBPasteboardHelper::sharedHelper();
    // The other program takes the selection once it runs; the X server tells us so.
    ASSERT_TRUE(TestSupport::waitUntil([&] { return helper.addFromClipboard(QClipboard::Selection); }));
    const QList<PasteboardItem *> items = HBObjectStore::shared()->defaultContext()->fetchItems();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.first()->mainType()->type(), QString(T::NSStringPboardType));
    EXPECT_EQ(items.first()->mainType()->data(), QByteArray("selected elsewhere"));
    HBObjectStore::shared()->close();
}

} // namespace
