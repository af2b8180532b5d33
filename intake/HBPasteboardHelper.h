// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QClipboard>
#include <QStringList>

#include <functional>
#include <optional>

class HBDraggingInfo;
class Pasteboard;
class PasteboardItem;

/// The one gate through which outside content becomes shelf items: drops on the shelf
/// and on the drop-only window, the clipboard and the primary selection, files handed
/// over from outside. It chooses an item's main representation, keeps every other
/// representation the pasteboard offers, names, dates and places the item, saves it in
/// the store's default context and queues the writing of its files.
///
/// Main thread only; every operation is synchronous, callbacks included.
class HBPasteboardHelper
{
public:
    /// Receives the new item. Pre-save: the item is complete in memory, not yet saved.
    /// Post-save: it is saved and its files are queued. Either may be empty.
    using ItemCallback = std::function<void(PasteboardItem *item)>;
    /// Queues the writing of an item's files (the file manager's makeFileForItemIfNeeded).
    /// `pasteboard` is the one the item came from, or nullptr for items made from file
    /// paths; it is valid only during the call, so whatever is needed later is copied.
    using FileMaker = std::function<void(PasteboardItem *item, const Pasteboard *pasteboard)>;
    /// Takes a drop whose main type is a files promise; true when it made a (pending) item.
    using PromisedFilesHandler = std::function<bool(
        const HBDraggingInfo *info, const ItemCallback &preSave, const ItemCallback &postSave)>;
    /// Names a platform pasteboard; the intake asks it for "itunes" when a pasteboard
    /// offers nothing acceptable.
    using PasteboardLookup = std::function<Pasteboard *(const QString &name)>;

    /// The shared helper, made on first use.
    static HBPasteboardHelper &sharedHelper();

    /// The types a main representation is chosen from, highest priority first.
    static const QStringList &acceptedTypes();
    /// The types the shelf list takes in drops, in registration order (14).
    static const QStringList &shelfDropTypes();
    /// The types the drop-only window takes in drops, in registration order (12).
    static const QStringList &dropWindowDropTypes();

    /// Whether the pasteboard (or, failing that, the "itunes" pasteboard) offers an
    /// accepted type. A null pasteboard offers nothing.
    bool pasteboardHasDroppableItems(const Pasteboard *pasteboard) const;

    /// Makes items from a pasteboard: a promise drop goes to the promised-files handler;
    /// file names with combineIntoStacks off make one item per file; anything else one
    /// item with every representation. False, with nothing created and no callback run,
    /// when nothing acceptable is offered, the chosen type has no data, or a file list is
    /// empty. `info` is the drag when there is one.
    bool acceptDrop(const Pasteboard *pasteboard, const HBDraggingInfo *info = nullptr,
        const ItemCallback &preSave = {}, const ItemCallback &postSave = {});

    /// One item per path, in order, each titled by its file name, dated now and placed
    /// last. A path no item can be made for is skipped. Always true.
    bool addItemsWithFilePaths(
        const QStringList &paths, const ItemCallback &preSave = {}, const ItemCallback &postSave = {});

    /// The promise path: hands the drop to the promised-files handler. Until one is set,
    /// no promise can be taken and the answer is false.
    bool handlePromisedFilesWithInfo(
        const HBDraggingInfo *info, const ItemCallback &preSave = {}, const ItemCallback &postSave = {});

    /// Adds what the clipboard (QClipboard::Clipboard) or the X11 primary selection
    /// (QClipboard::Selection: the text just selected anywhere) holds, as "Add from
    /// clipboard" does. False when it holds nothing acceptable or the platform has no
    /// such selection.
    bool addFromClipboard(
        QClipboard::Mode mode, const ItemCallback &preSave = {}, const ItemCallback &postSave = {});

    /// The URL strings of the pasteboard's NSURLPboardType list, trimmed, empty ones left
    /// out; nullopt when it has no such list.
    static std::optional<QStringList> nv_fileStrings(const Pasteboard &pasteboard);

    /// Seams the program wires at start-up (and tests replace).
    void setFileMaker(FileMaker fileMaker) { m_fileMaker = std::move(fileMaker); }
    void setPromisedFilesHandler(PromisedFilesHandler handler)
    {
        m_promisedFilesHandler = std::move(handler);
    }
    /// Default (also when given an empty function): HBMimePasteboard::pasteboardWithName,
    /// under which "itunes" names nothing.
    void setPasteboardLookup(PasteboardLookup lookup);

private:
    HBPasteboardHelper();

    /// The pasteboard that answers and the main type it offers; the pasteboard is null
    /// when neither the given one nor the fallback offers an accepted type.
    std::pair<const Pasteboard *, QString> chooseMainType(const Pasteboard *pasteboard) const;
    bool addSingleItem(const Pasteboard *pasteboard, const QString &mainType, const ItemCallback &preSave,
        const ItemCallback &postSave);
    void finishItem(PasteboardItem *item, const Pasteboard *pasteboard, const ItemCallback &preSave,
        const ItemCallback &postSave);

    FileMaker m_fileMaker;
    PromisedFilesHandler m_promisedFilesHandler;
    PasteboardLookup m_pasteboardLookup;
};
