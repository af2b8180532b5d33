// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

/// The side of a second `kelvora` that hands its work to the running one.
namespace HBDBusClient {

/// Whether a Kelvora instance holds the service name on the session bus.
bool instanceIsRunning();

struct Result
{
    bool delivered = false; ///< the running instance answered
    bool added = false;     ///< and it took the content
    QString message;        ///< the refusal or transport error
};

Result addFiles(const QStringList &absolutePaths);
Result addClipboard();
Result addSelection();
Result toggle();

} // namespace HBDBusClient
