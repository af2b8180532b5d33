// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBMimeTypes.h"
#include "Pasteboard.h"

#include <QClipboard>
#include <QHash>
#include <QPointer>

#include <memory>
#include <optional>

class QMimeData;
class QObject;

/// A pasteboard over Qt's MIME data: a drop's data, the clipboard, the X11 PRIMARY
/// selection, or content written for a drag out.
///
/// Reading offers Kelvora's types (PasteboardTypes.h, in the formats HBMimeTypes
/// describes) followed by every MIME type the source offers, verbatim. Reading
/// starts on first use and asks the source for each format at most once.
///
/// Writing (clearContents(), addTypes(), setData()) replaces what is read with the
/// written content, which reads back exactly as written; mimeData() turns it into MIME
/// data that Linux applications read. A clipboard pasteboard also publishes every write
/// to its clipboard mode.
class HBMimePasteboard final : public Pasteboard
{
public:
    /// Reads `mime`, which the caller keeps alive for as long as this pasteboard is read
    /// (a drop's data lives until the drop event handler returns).
    explicit HBMimePasteboard(const QMimeData *mime);
    /// Reads and writes a clipboard mode: QClipboard::Clipboard, or QClipboard::Selection
    /// for the X11 PRIMARY selection. Needs a QGuiApplication.
    explicit HBMimePasteboard(QClipboard::Mode mode);
    /// An empty pasteboard to write a drag's content into.
    HBMimePasteboard();
    ~HBMimePasteboard() override;

    HBMimePasteboard(const HBMimePasteboard &) = delete;
    HBMimePasteboard &operator=(const HBMimePasteboard &) = delete;

    /// The clipboard (QClipboard::Clipboard), shared for the life of the application.
    static HBMimePasteboard *generalPasteboard();
    /// The X11 PRIMARY selection, shared; nullptr where the platform has no selection.
    static HBMimePasteboard *selectionPasteboard();
    /// A named pasteboard: "general" (also "Apple CFPasteboard general") is the clipboard,
    /// "selection" the PRIMARY selection. Other names, such as "itunes", name nothing on
    /// Linux: nullptr.
    static Pasteboard *pasteboardWithName(const QString &name);

    QStringList types() const override;
    QByteArray dataForType(const QString &type) const override;
    qint64 changeCount() const override;

    void clearContents() override;
    void addTypes(const QStringList &types) override;
    bool setData(const QByteArray &data, const QString &type) override;

    /// The written content as MIME data for a QDrag or QClipboard::setMimeData(); a file
    /// list also goes out as x-special/gnome-copied-files when `forClipboard`.
    std::unique_ptr<QMimeData> mimeData(bool forClipboard = false) const;

    /// The clipboard mode this pasteboard reads, if it reads one.
    std::optional<QClipboard::Mode> clipboardMode() const { return m_mode; }

private:
    const QMimeData *source() const;
    void load() const;
    void clipboardChanged(QClipboard::Mode mode);
    void startWriting();
    void publish();

    const QMimeData *m_mime = nullptr;
    std::optional<QClipboard::Mode> m_mode;
    /// Receiver of the clipboard's change signal; goes with this pasteboard.
    std::unique_ptr<QObject> m_watcher;
    bool m_publishing = false;

    /// Written content, when this pasteboard has been written to.
    std::optional<QList<HBMimeTypes::Entry>> m_written;

    qint64 m_changeCount = 1;
    mutable qint64 m_loadedCount = 0;
    mutable QList<HBMimeTypes::Entry> m_derived;
    mutable QStringList m_types;
    mutable QHash<QString, QByteArray> m_cache;
};
