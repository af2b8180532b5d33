// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBChangeSet.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

#include <memory>

class HBObjectContext;
class HBSqliteConnection;

/// The item store: the SQLite file "Harbrook.sqlite" (tables PasteboardItem, PasteboardType,
/// PasteboardFile, schema version in PRAGMA user_version, WAL journal) and the contexts
/// that read and write it.
///
/// - setup() opens it once at launch; defaultContext() is the main thread's context, which
///   the user interface shares; newContext() gives a thread a context of its own, on its own
///   connection, whose saves the default context merges (see HBObjectContext).
/// - A file that can't be opened or migrated (not a database, written by a newer Kelvora,
///   tables of another shape) is never written, moved or deleted: the store then runs on an
///   empty database in memory, logs one line, and openError() / openErrorMessage() let the
///   program tell the user once.
class HBObjectStore : public QObject
{
    Q_OBJECT

public:
    explicit HBObjectStore(QObject *parent = nullptr);
    ~HBObjectStore() override;

    /// The program's store. Its first use should be on the main thread.
    static HBObjectStore *shared();

    /// Opens the store at `path` (empty: HBPaths::storeFile()), creating or migrating its
    /// tables; a store already open is closed first. False when the file could not be used
    /// and the store runs in memory instead.
    bool setup(const QString &path = QString());
    /// Closes the store and destroys the default context with its objects. Contexts from
    /// newContext() must be gone by then.
    void close();
    bool isOpen() const;

    /// The file in use (also when it failed and the store runs in memory).
    QString path() const;
    /// Whether the store runs on an empty in-memory database because the file failed.
    bool openError() const;
    /// A sentence for the user about the failure; empty when there was none.
    QString openErrorMessage() const;

    /// The main thread's context; sets the store up with the default file if nobody did.
    HBObjectContext *defaultContext();
    /// A new context for the calling thread, on a connection of its own. Bring objects in
    /// with HBObjectContext::objectWithID(); its saves reach the default context's objects.
    std::unique_ptr<HBObjectContext> newContext();

    /// Row ids of the file records whose `path` equals `path`, as saved. Safe on any thread.
    QList<qint64> fileIDsWithPath(const QString &path);

Q_SIGNALS:
    /// A context committed a save (emitted on the saving thread). `source` identifies the
    /// context, so that it can skip its own changes.
    void contextDidSave(const HBChangeSet &changes, quintptr source);

private:
    bool openFile(QString *error);
    void openInMemory();
    std::shared_ptr<HBSqliteConnection> openConnection(QString *error) const;
    void makeDefaultContext(std::shared_ptr<HBSqliteConnection> connection);

    mutable QMutex m_mutex;
    QString m_path;
    bool m_open = false;
    bool m_inMemory = false;
    QString m_openErrorMessage;
    /// In memory every context shares this one connection (a second connection to ":memory:"
    /// would be another database); its lock serialises them.
    std::shared_ptr<HBSqliteConnection> m_memoryConnection;
    std::shared_ptr<HBSqliteConnection> m_queryConnection;
    std::unique_ptr<HBObjectContext> m_defaultContext;
};
