// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppDelegate.h"
#include "HBDBusClient.h"
#include "HBDBusService.h"
#include "HBDragSelection.h"
#include "HBInputMonitor.h"
#include "HBWorkspace.h"
#include "x11/HBDragSelectionFactory.h"
#include "x11/HBInputMonitorFactory.h"
#include "x11/HBWorkspaceFactory.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QWindow>

#include <algorithm>
#include <cstdio>

namespace {

void printError(const QString &message)
{
    std::fprintf(stderr, "kelvora: %s\n", qPrintable(message));
}

// Absolute paths of the arguments that name existing files; the others are reported.
QStringList existingPaths(const QStringList &arguments)
{
    QStringList paths;
    for (const QString &argument : arguments) {
        const QFileInfo info(argument);
        if (info.exists())
            paths.append(info.absoluteFilePath());
        else
            printError(QStringLiteral("cannot add \"%1\": no such file or folder").arg(argument));
    }
    return paths;
}

int exitStatus(const HBDBusClient::Result &result)
{
    if (result.added)
        return 0;
    printError(result.message.isEmpty() ? QStringLiteral("the running Kelvora did not answer") : result.message);
    return 1;
}

// For the start-up benchmark: ends the process when the first window is on screen.
class FirstExposureProbe final : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QWindow *>(watched);
        if (event->type() == QEvent::Expose && window && window->isExposed())
            QCoreApplication::exit(0);
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kelvora"));
    QApplication::setApplicationName(QStringLiteral("Kelvora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kelvora"));
    QApplication::setApplicationVersion(QStringLiteral(KELVORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.norvale.Kelvora"));
    // The shelf and its helpers live on without a normal window.
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A shelf at the screen edge that keeps what you drag onto it."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption toggleOption(QStringLiteral("toggle"),
                                          QStringLiteral("Show or hide the shelf, as the global hot key does."));
    const QCommandLineOption clipboardOption(QStringLiteral("add-clipboard"),
                                             QStringLiteral("Add what the clipboard holds to the shelf."));
    const QCommandLineOption selectionOption(
        QStringLiteral("add-selection"), QStringLiteral("Add the text or files just selected anywhere (the primary selection)."));
    parser.addOptions({toggleOption, clipboardOption, selectionOption});
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Files to add to the shelf."),
                                 QStringLiteral("[FILE…]"));
    parser.process(app);

    const QStringList arguments = parser.positionalArguments();
    const QStringList paths = existingPaths(arguments);
    if (!arguments.isEmpty() && paths.isEmpty())
        return 1;

    AppDelegate delegate;
    if (!delegate.claimSingleInstance() && HBDBusClient::instanceIsRunning()) {
        int status = 0;
        if (parser.isSet(toggleOption))
            status = HBDBusClient::toggle().delivered ? 0 : exitStatus({});
        if (!paths.isEmpty())
            status = std::max(status, exitStatus(HBDBusClient::addFiles(paths)));
        if (parser.isSet(clipboardOption))
            status = std::max(status, exitStatus(HBDBusClient::addClipboard()));
        if (parser.isSet(selectionOption))
            status = std::max(status, exitStatus(HBDBusClient::addSelection()));
        return status;
    }

    HBWorkspace::setSharedWorkspace(HBWorkspaceFactory::create(&app));
    // The shelf follows drags anywhere on the screen through these two.
    HBInputMonitor::setSharedMonitor(HBInputMonitorFactory::create(&app));
    HBDragSelection::setSharedSelection(HBDragSelectionFactory::create(&app));

    FirstExposureProbe probe;
    if (qEnvironmentVariableIsSet("KELVORA_EXIT_WHEN_SHOWN"))
        app.installEventFilter(&probe);

    delegate.applicationDidFinishLaunching();
    if (!paths.isEmpty())
        delegate.openFiles(paths);
    if (parser.isSet(clipboardOption) && !delegate.addFromPasteboard(QClipboard::Clipboard))
        printError(HBDBusService::couldNotAddText());
    if (parser.isSet(selectionOption) && !delegate.addFromPasteboard(QClipboard::Selection))
        printError(HBDBusService::couldNotAddText());
    if (parser.isSet(toggleOption))
        delegate.toggleShelf();
    return QApplication::exec();
}
