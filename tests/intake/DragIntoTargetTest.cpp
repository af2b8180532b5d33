// SPDX-License-Identifier: GPL-3.0-or-later
// Real drags under X: a Qt and a GTK 3 program, each its own process, drag into a drop
// target of this process through the X server's Xdnd protocol.
#include "DragSourceProcess.h"
#include "HBDraggingInfo.h"
#include "HBMimeTypes.h"
#include "Pasteboard.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"
#include "TestSupport.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace T = PasteboardTypes;

namespace {

/// A window that takes drags from other programs and hands each drop to `onDrop`.
class DropTarget : public QWidget
{
public:
    std::function<void(const HBDraggingInfo &)> onDrop;
    int drops = 0;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        if (!event->source())
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent *event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent *event) override
    {
        const HBDraggingInfo info(*event);
        if (onDrop)
            onDrop(info);
        ++drops;
        event->acceptProposedAction();
    }
};

struct Snapshot
{
    QStringList types;
    QHash<QString, QByteArray> data;
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

class RealDrag : public ::testing::TestWithParam<DragCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::onDisplay());
        m_target.setWindowTitle(QStringLiteral("Kelvora drop target"));
        m_target.setAcceptDrops(true);
        m_target.resize(300, 300);
        m_target.move(900, 400);
        m_target.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_target));
    }

    /// Drags from a new source process into the target; the snapshot of what arrived.
    Snapshot dragInto(Toolkit toolkit, const QStringList &options)
    {
        Snapshot snapshot;
        m_target.onDrop = [&snapshot](const HBDraggingInfo &info) {
            EXPECT_EQ(info.draggingSource(), nullptr);
            const Pasteboard *pasteboard = info.draggingPasteboard();
            snapshot.types = pasteboard->types();
            for (const QString &type : std::as_const(snapshot.types))
                snapshot.data.insert(type, pasteboard->dataForType(type));
        };
        DragSourceProcess source;
        EXPECT_TRUE(source.start(toolkit, options)) << qPrintable(source.error());
        const int before = m_target.drops;
        EXPECT_TRUE(source.dragTo(m_target.mapToGlobal(m_target.rect().center())));
        EXPECT_TRUE(TestSupport::waitUntil([&] { return m_target.drops > before; }, std::chrono::seconds(10)))
            << "no drop; source said: " << qPrintable(source.output());
        return snapshot;
    }

    DropTarget m_target;
};

const QString kUrl = QStringLiteral("https://example.org/docs/page.html");
const QString kPictureUrl = QStringLiteral("https://cdn.example.org/p/cat.png");

TEST_P(RealDrag, AdapterSeesKelvoraTypes)
{
    const DragCase &c = GetParam();
    QStringList options = c.options;
    QStringList files;
    if (options.first() == u"--files") {
        for (const char *name : {"one.txt", "two words.txt"}) {
            files.append(TestSupport::home() + u"/files/" + QString::fromLatin1(name));
            ASSERT_TRUE(TestSupport::writeFile(files.back(), "x"));
        }
        options += files;
    }
    const Snapshot s = dragInto(c.toolkit, options);
    const QString printed = s.types.join(u", ");
    const QString option = options.first();
    if (option == u"--files") {
        EXPECT_EQ(PropertyList::stringArray(s.data.value(T::NSFilenamesPboardType)), files)
            << qPrintable(printed);
    } else if (option == u"--text") {
        EXPECT_EQ(s.data.value(T::NSStringPboardType), QByteArray("Grüße aus dem Test"))
            << qPrintable(printed);
    } else if (option == u"--link") {
        const QVariantList links
            = PropertyList::fromData(s.data.value(T::WebURLsWithTitlesPboardType)).toList();
        ASSERT_EQ(links.size(), 2) << qPrintable(printed);
        EXPECT_EQ(links[0].toStringList(), QStringList{kUrl});
        EXPECT_EQ(links[1].toStringList(), QStringList{QStringLiteral("The Docs")});
        EXPECT_EQ(PropertyList::stringArray(s.data.value(T::NSURLPboardType)), QStringList{kUrl});
        EXPECT_FALSE(s.types.contains(T::NSFilenamesPboardType));
    } else {
        EXPECT_FALSE(QImage::fromData(s.data.value(T::NSTIFFPboardType)).isNull()) << qPrintable(printed);
        EXPECT_TRUE(s.types.contains(T::ChromiumImageHTML)) << qPrintable(printed);
        EXPECT_TRUE(QString::fromUtf8(s.data.value(T::NSHTMLPboardType)).contains(kPictureUrl));
    }
}

INSTANTIATE_TEST_SUITE_P(Sources, RealDrag,
    ::testing::Values(DragCase{"QtFiles", Toolkit::Qt, {QStringLiteral("--files")}},
        DragCase{"GtkFiles", Toolkit::Gtk, {QStringLiteral("--files")}},
        DragCase{"QtText", Toolkit::Qt, {QStringLiteral("--text"), QStringLiteral("Grüße aus dem Test")}},
        DragCase{"GtkText", Toolkit::Gtk, {QStringLiteral("--text"), QStringLiteral("Grüße aus dem Test")}},
        DragCase{"QtLink", Toolkit::Qt, {QStringLiteral("--link"), kUrl, QStringLiteral("The Docs")}},
        DragCase{"GtkLink", Toolkit::Gtk, {QStringLiteral("--link"), kUrl, QStringLiteral("The Docs")}},
        DragCase{"QtChromiumPicture", Toolkit::Qt, {QStringLiteral("--picture-chromium"), kPictureUrl}},
        DragCase{"GtkChromiumPicture", Toolkit::Gtk, {QStringLiteral("--picture-chromium"), kPictureUrl}},
        DragCase{"QtFirefoxPicture", Toolkit::Qt, {QStringLiteral("--picture-firefox"), kPictureUrl}},
        DragCase{"GtkFirefoxPicture", Toolkit::Gtk, {QStringLiteral("--picture-firefox"), kPictureUrl}}),
    [](const ::testing::TestParamInfo<DragCase> &row) { return std::string(row.param.name); });

} // namespace
