// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

/// A file's identity that survives a rename: its path plus device and inode. Stored as an
/// opaque byte string wherever a reference to a user's file is kept.
namespace FileBookmark {

/// The bookmark of an existing file or folder; empty when it can't be read.
QByteArray create(const QString &path);

struct Resolution
{
    QString path;       ///< where the file is now; empty when it can't be found
    bool stale = false; ///< the file was found under another name: make a new bookmark
    QString error;      ///< why it can't be found; empty on success
};

/// Finds the bookmarked file: at its recorded path when that is still the same file,
/// else by its identity in the folder it was in (a rename within the folder).
Resolution resolve(const QByteArray &bookmark);

} // namespace FileBookmark
