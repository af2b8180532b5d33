// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for Kelvora's start-up: a bare Qt Widgets program that shows one small
// window and exits as soon as the window is exposed.
#include <QApplication>
#include <QWidget>
#include <QWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(100, 600);
    window.show();
    struct Probe : QObject
    {
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Expose && qobject_cast<QWindow *>(watched)
                && static_cast<QWindow *>(watched)->isExposed())
                QCoreApplication::exit(0);
            return false;
        }
    } probe;
    app.installEventFilter(&probe);
    return QApplication::exec();
}
