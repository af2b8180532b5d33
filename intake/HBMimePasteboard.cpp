// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBMimePasteboard.h"

#include <QGuiApplication>
#include <QMimeData>
#include <QObject>
#include <QPointer>

namespace {

/// The application-wide pasteboards go with the application object, so that they never
/// outlive the clipboard they watch.
class SharedPasteboards : public QObject
{
public:
    using QObject::QObject;
    std::unique_ptr<HBMimePasteboard> general;
    std::unique_ptr<HBMimePasteboard> selection;
};

SharedPasteboards *sharedPasteboards()
{
    static QPointer<SharedPasteboards> shared;
    if (!shared && qGuiApp)
        shared = new SharedPasteboards(qGuiApp);
    return shared;
}

QByteArray nonNull(QByteArray bytes)
{
    // An offered type with no bytes reads as empty, never as "not offered".
    return bytes.isNull() ? QByteArray("", 0) : bytes;
}

} // namespace

HBMimePasteboard::HBMimePasteboard(const QMimeData *mime)
    : m_mime(mime)
{ }

HBMimePasteboard::HBMimePasteboard(QClipboard::Mode mode)
    : m_mode(mode)
    , m_watcher(std::make_unique<QObject>())
{
    if (QClipboard *clipboard = QGuiApplication::clipboard()) {
        QObject::connect(clipboard, &QClipboard::changed, m_watcher.get(),
            [this](QClipboard::Mode changed) { clipboardChanged(changed); });
    }
}

HBMimePasteboard::HBMimePasteboard()
    : m_written(QList<HBMimeTypes::Entry>())
{ }

HBMimePasteboard::~HBMimePasteboard() = default;

HBMimePasteboard *HBMimePasteboard::generalPasteboard()
{
    SharedPasteboards *shared = sharedPasteboards();
    if (!shared)
        return nullptr;
    if (!shared->general)
        shared->general = std::make_unique<HBMimePasteboard>(QClipboard::Clipboard);
    return shared->general.get();
}

HBMimePasteboard *HBMimePasteboard::selectionPasteboard()
{
    SharedPasteboards *shared = sharedPasteboards();
    if (!shared || !QGuiApplication::clipboard()->supportsSelection())
        return nullptr;
    if (!shared->selection)
        shared->selection = std::make_unique<HBMimePasteboard>(QClipboard::Selection);
    return shared->selection.get();
}

Pasteboard *HBMimePasteboard::pasteboardWithName(const QString &name)
{
    if (name == u"general" || name == u"Apple CFPasteboard general")
        return generalPasteboard();
    if (name == u"selection")
        return selectionPasteboard();
    return nullptr;
}

const QMimeData *HBMimePasteboard::source() const
{
    if (m_mode) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        return clipboard ? clipboard->mimeData(*m_mode) : nullptr;
    }
    return m_mime;
}

void HBMimePasteboard::load() const
{
    if (m_loadedCount == m_changeCount)
        return;
    m_loadedCount = m_changeCount;
    m_derived.clear();
    m_types.clear();
    m_cache.clear();
    const QMimeData *mime = source();
    if (!mime)
        return;
    m_derived = HBMimeTypes::readTypes(*mime, m_cache);
    for (const HBMimeTypes::Entry &entry : std::as_const(m_derived))
        m_types.append(entry.first);
    for (const QString &format : mime->formats()) {
        // Qt lists application/x-qt-image beside any picture type it can decode; no program
        // sends it, and its bytes would be a re-encoded copy of the picture already kept.
        if (format == HBMimeTypes::QtImage)
            continue;
        if (!m_types.contains(format))
            m_types.append(format);
    }
}

QStringList HBMimePasteboard::types() const
{
    if (m_written) {
        QStringList result;
        for (const HBMimeTypes::Entry &entry : *m_written)
            result.append(entry.first);
        return result;
    }
    load();
    return m_types;
}

QByteArray HBMimePasteboard::dataForType(const QString &type) const
{
    if (m_written) {
        for (const HBMimeTypes::Entry &entry : *m_written) {
            if (entry.first == type)
                return nonNull(entry.second);
        }
        return {};
    }
    load();
    for (const HBMimeTypes::Entry &entry : std::as_const(m_derived)) {
        if (entry.first == type)
            return nonNull(entry.second);
    }
    if (!m_types.contains(type))
        return {};
    auto cached = m_cache.constFind(type);
    if (cached != m_cache.constEnd())
        return nonNull(*cached);
    const QMimeData *mime = source();
    const QByteArray bytes = mime ? mime->data(type) : QByteArray();
    m_cache.insert(type, bytes);
    return nonNull(bytes);
}

qint64 HBMimePasteboard::changeCount() const
{
    return m_changeCount;
}

void HBMimePasteboard::startWriting()
{
    if (!m_written)
        m_written = QList<HBMimeTypes::Entry>();
}

void HBMimePasteboard::clearContents()
{
    m_written = QList<HBMimeTypes::Entry>();
    ++m_changeCount;
    publish();
}

void HBMimePasteboard::addTypes(const QStringList &types)
{
    startWriting();
    for (const QString &type : types) {
        const bool known = std::any_of(m_written->cbegin(), m_written->cend(),
            [&type](const HBMimeTypes::Entry &entry) { return entry.first == type; });
        if (!known)
            m_written->append({type, QByteArray()});
    }
    publish();
}

bool HBMimePasteboard::setData(const QByteArray &data, const QString &type)
{
    startWriting();
    auto it = std::find_if(m_written->begin(), m_written->end(),
        [&type](const HBMimeTypes::Entry &entry) { return entry.first == type; });
    if (it != m_written->end())
        it->second = data;
    else
        m_written->append({type, data});
    publish();
    return true;
}

std::unique_ptr<QMimeData> HBMimePasteboard::mimeData(bool forClipboard) const
{
    if (m_written)
        return HBMimeTypes::writeMimeData(*m_written, forClipboard);
    QList<HBMimeTypes::Entry> content;
    for (const QString &type : types())
        content.append({type, dataForType(type)});
    return HBMimeTypes::writeMimeData(content, forClipboard);
}

void HBMimePasteboard::publish()
{
    QClipboard *clipboard = m_mode ? QGuiApplication::clipboard() : nullptr;
    if (!clipboard)
        return;
    // Our own publication raises the clipboard's change signal; it must not undo the write.
    m_publishing = true;
    clipboard->setMimeData(mimeData(*m_mode == QClipboard::Clipboard).release(), *m_mode);
    m_publishing = false;
}

void HBMimePasteboard::clipboardChanged(QClipboard::Mode mode)
{
    if (!m_mode || mode != *m_mode)
        return;
    ++m_changeCount;
    if (!m_publishing)
        m_written.reset();
}
