// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBDragSelection.h"

#include <memory>

class QSocketNotifier;
class QTimer;
struct X11DragSelectionPrivate;

/// The drag in progress on an X11 display. A drag begins when its source takes the
/// XdndSelection selection; XFixes reports every new owner, and a new ownership time of
/// the same owner, on a connection of this object's own. The offered types are learnt
/// only when asked, once per drag: from the source window's XdndTypeList when the source
/// wrote it during this drag, else from the selection's TARGETS with a short bounded wait.
/// No other target is ever requested, so no source is asked for data.
class X11DragSelection : public HBDragSelection
{
    Q_OBJECT
public:
    /// Connects to the X server of $DISPLAY.
    explicit X11DragSelection(QObject *parent = nullptr);
    ~X11DragSelection() override;

    /// Whether the X server could be reached and reports selection owners.
    bool isConnected() const;

    qint64 changeCount() const override;
    bool isOwnDrag() const override;
    std::optional<QStringList> offeredTypes() const override;

    /// Asks the source of the current drag for its types now, past the cache (for
    /// measuring what one answer costs).
    std::optional<QStringList> readOfferedTypes() const;

private:
    void readEvents();
    bool checkConnection();

    std::unique_ptr<X11DragSelectionPrivate> m_x;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_drainEvents;
};
