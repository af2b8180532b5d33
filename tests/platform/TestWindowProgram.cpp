// SPDX-License-Identifier: GPL-3.0-or-later
// Plays another application in display tests: opens top-level windows with the given
// WM_CLASS and title, prints each window's X id on its own line once it is shown, and
// stays until it is killed.
//
//   kelvora_test_window --instance NAME --class NAME --title TITLE [--windows N] [--tool] [--with-icon]
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

class PlainWindow : public QRasterWindow
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(QRect(QPoint(), size()), Qt::darkCyan);
    }
};

QString optionValue(int argc, char **argv, const char *name)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], name) == 0)
            return QString::fromLocal8Bit(argv[i + 1]);
    }
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    // Qt takes the WM_CLASS instance name from RESOURCE_NAME, and reads it while the
    // application object is being made.
    qputenv("RESOURCE_NAME", optionValue(argc, argv, "--instance").toLocal8Bit());
    QGuiApplication app(argc, argv);

    QCommandLineParser parser;
    const QCommandLineOption instanceOption(
        QStringLiteral("instance"), QStringLiteral("WM_CLASS instance"), QStringLiteral("name"));
    const QCommandLineOption classOption(
        QStringLiteral("class"), QStringLiteral("WM_CLASS class"), QStringLiteral("name"));
    const QCommandLineOption titleOption(
        QStringLiteral("title"), QStringLiteral("window title"), QStringLiteral("text"));
    const QCommandLineOption windowsOption(QStringLiteral("windows"), QStringLiteral("number of windows"),
        QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption toolOption(QStringLiteral("tool"), QStringLiteral("tool windows only"));
    // Not "--icon": QGuiApplication takes that one for itself.
    const QCommandLineOption iconOption(QStringLiteral("with-icon"), QStringLiteral("set a window icon"));
    parser.addOptions({instanceOption, classOption, titleOption, windowsOption, toolOption, iconOption});
    parser.process(app);

    // The WM_CLASS class is the application name, read when the first window is made.
    QGuiApplication::setApplicationName(parser.value(classOption));
    QIcon icon;
    if (parser.isSet(iconOption)) {
        QPixmap picture(32, 32);
        picture.fill(Qt::magenta);
        icon.addPixmap(picture);
    }

    std::vector<std::unique_ptr<PlainWindow>> windows;
    const int count = qBound(1, parser.value(windowsOption).toInt(), 8);
    for (int i = 0; i < count; ++i) {
        auto window = std::make_unique<PlainWindow>();
        window->setTitle(count == 1 ? parser.value(titleOption)
                                    : parser.value(titleOption) + u' ' + QString::number(i + 1));
        window->setIcon(icon);
        if (parser.isSet(toolOption))
            window->setFlag(Qt::Tool);
        window->setGeometry(100 + 60 * i, 100 + 40 * i, 240, 140);
        window->show();
        windows.push_back(std::move(window));
    }

    // Announce the windows once all are exposed, so the test can act on them right away.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (const auto &window : windows) {
            if (!window->isExposed())
                return;
        }
        poll.stop();
        for (const auto &window : windows)
            std::printf("%llu\n", static_cast<unsigned long long>(window->winId()));
        std::fflush(stdout);
    });
    poll.start(20);
    return app.exec();
}
