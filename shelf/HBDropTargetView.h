// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

class HBDraggingInfo;

/// A transparent view that takes drops for its controller: a drag is let in when its MIME
/// formats can carry one of the registered types; the controller's validator decides the
/// operation it is offered at every move, and its acceptor takes the drop. It draws nothing
/// itself (no drop indicator); children it holds let drops through to it.
class HBDropTargetView : public QWidget
{
    Q_OBJECT

public:
    /// The operation a drag would get here (Qt::IgnoreAction refuses it).
    using Validator = std::function<Qt::DropAction(const HBDraggingInfo &info)>;
    /// Takes the drop; true when it was taken.
    using Acceptor = std::function<bool(const HBDraggingInfo &info)>;

    explicit HBDropTargetView(QWidget *parent = nullptr);

    /// The pasteboard types (PasteboardTypes.h) a drag must be able to carry to be let in.
    void registerForDraggedTypes(const QStringList &types);
    QStringList registeredDraggedTypes() const { return m_types; }

    void setValidator(Validator validator) { m_validator = std::move(validator); }
    void setAcceptor(Acceptor acceptor) { m_acceptor = std::move(acceptor); }

    /// Whether a drag that was let in is over the view (between its enter and its drop or
    /// leave): a drop may still come, even after the pointer's button was released.
    bool isDragInside() const { return m_dragInside; }

Q_SIGNALS:
    /// The drag that was over the view has gone: dropped (taken or not) or left.
    void dragEnded();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    /// Answers the drag with the validator's operation; false when it is refused.
    bool validate(QDropEvent *event);
    void endDrag();

    QStringList m_types;
    Validator m_validator;
    Acceptor m_acceptor;
    bool m_dragInside = false;
};
