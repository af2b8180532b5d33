// SPDX-License-Identifier: GPL-3.0-or-later
// A Qt program that plays the receiving application in drag tests: its window takes every
// drop. It prints "window ID" once its window is on screen and, for each drop, one JSON
// line {"action": N, "formats": [...], "data": {format: base64}} on standard output.
//   --refuse   refuse every drop (the drag ends with no operation)
//   --title T  the window title (default "Kelvora drop target")
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

class TargetWindow : public QWidget
{
public:
    explicit TargetWindow(bool refuse)
        : m_refuse(refuse)
    {
        setAcceptDrops(true);
    }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        if (m_refuse)
            event->ignore();
        else
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent *event) override
    {
        if (m_refuse)
            event->ignore();
        else
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent *event) override
    {
        const QMimeData *mime = event->mimeData();
        QJsonArray formats;
        QJsonObject bytes;
        for (const QString &format : mime->formats()) {
            formats.append(format);
            bytes.insert(format, QString::fromLatin1(mime->data(format).toBase64()));
        }
        event->acceptProposedAction();
        const QJsonObject line{
            {QStringLiteral("action"), int(event->dropAction())},
            {QStringLiteral("formats"), formats},
            {QStringLiteral("data"), bytes},
        };
        std::printf("%s\n", QJsonDocument(line).toJson(QJsonDocument::Compact).constData());
        std::fflush(stdout);
    }

private:
    bool m_refuse;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QString title = QStringLiteral("Kelvora drop target");
    const qsizetype titleAt = arguments.indexOf(QStringLiteral("--title"));
    if (titleAt > 0 && titleAt + 1 < arguments.size())
        title = arguments.at(titleAt + 1);
    TargetWindow window(arguments.contains(QStringLiteral("--refuse")));
    window.setWindowTitle(title);
    window.resize(300, 300);
    window.move(700, 300);
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        std::printf("window %llu\n", static_cast<unsigned long long>(window.winId()));
        std::fflush(stdout);
    });
    return app.exec();
}
