// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kelvora"));
    QApplication::setApplicationName(QStringLiteral("Kelvora"));
    QApplication::setApplicationVersion(QStringLiteral(KELVORA_VERSION));
    return QApplication::exec();
}
