// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusContext>
#include <QObject>
#include <QStringList>

#include <functional>

/// Kelvora's session-bus face: service and interface "com.norvale.Kelvora" at
/// "/com/norvale/Kelvora". A second `kelvora` hands its work to the first through it,
/// and desktop shortcuts or scripts can call it directly.
class HBDBusService final : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.norvale.Kelvora")

public:
    static constexpr const char *ServiceName = "com.norvale.Kelvora";
    static constexpr const char *ObjectPath = "/com/norvale/Kelvora";
    static constexpr const char *ErrorName = "com.norvale.Kelvora.Error.CouldNotAdd";
    /// The text a refused addition answers with.
    static QString couldNotAddText() { return QStringLiteral("Could not add file"); }

    struct Handlers
    {
        std::function<bool(const QStringList &paths)> addFiles;
        std::function<bool()> addClipboard;
        std::function<bool()> addSelection;
        std::function<void()> toggle;
    };

    explicit HBDBusService(Handlers handlers, QObject *parent = nullptr);

    /// Claims the service name and exports this object; false when another process holds
    /// the name or there is no session bus.
    bool registerOnSessionBus();

public Q_SLOTS:
    Q_SCRIPTABLE bool AddFiles(const QStringList &paths);
    Q_SCRIPTABLE bool AddClipboard();
    Q_SCRIPTABLE bool AddSelection();
    Q_SCRIPTABLE void Toggle();

private:
    bool answer(bool added);

    Handlers m_handlers;
};
