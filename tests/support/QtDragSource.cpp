// SPDX-License-Identifier: GPL-3.0-or-later
// A Qt program that plays the other application in drag tests: pressing the mouse in its
// window and moving past the start distance starts a drag of what the options say.
// It prints "window ID" once its window is on screen and "finished ACTION" after a drag.
#include "DragSourceContent.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDrag>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

std::string pngBytes()
{
    QImage image(48, 32, QImage::Format_RGB32);
    image.fill(QColor(30, 140, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

class SourceWindow : public QWidget
{
public:
    SourceWindow(
        std::vector<DragSourceContent::Entry> offered, std::vector<DragSourceContent::Entry> offeredLater)
        : m_offered(std::move(offered))
        , m_offeredLater(std::move(offeredLater))
    { }

protected:
    void mousePressEvent(QMouseEvent *event) override { m_pressPos = event->position().toPoint(); }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!(event->buttons() & Qt::LeftButton) || m_dragging)
            return;
        if ((event->position().toPoint() - m_pressPos).manhattanLength() < QApplication::startDragDistance())
            return;
        auto *mime = new QMimeData; // QDrag takes ownership
        const bool later = m_dragCount++ > 0 && !m_offeredLater.empty();
        for (const auto &[format, bytes] : later ? m_offeredLater : m_offered)
            mime->setData(QString::fromStdString(format), QByteArray::fromStdString(bytes));
        // On heap and never deleted here: exec() returns once the drop is sent, and the
        // target asks for the data afterwards; Qt frees the drag when that is done.
        auto *drag = new QDrag(this);
        drag->setMimeData(mime);
        m_dragging = true;
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        m_dragging = false;
        std::printf("finished %d\n", int(action));
        std::fflush(stdout);
    }

private:
    std::vector<DragSourceContent::Entry> m_offered;
    std::vector<DragSourceContent::Entry> m_offeredLater;
    int m_dragCount = 0;
    QPoint m_pressPos;
    bool m_dragging = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const DragSourceContent::Options options = DragSourceContent::parse(argc, argv, pngBytes());
    if (!options.error.empty()) {
        std::fprintf(stderr, "%s\n", options.error.c_str());
        return 2;
    }
    SourceWindow window(options.offered, options.offeredLater);
    window.setWindowTitle(QString::fromStdString(options.title));
    window.resize(220, 160);
    window.move(40, 40);
    window.show();
    if (!options.selection.empty())
        QGuiApplication::clipboard()->setText(
            QString::fromStdString(options.selection), QClipboard::Selection);
    QTimer::singleShot(0, &window, [&window] {
        std::printf("window %llu\n", static_cast<unsigned long long>(window.winId()));
        std::fflush(stdout);
    });
    return app.exec();
}
