// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

#include <optional>

/// The drag in progress anywhere on the screen, as far as it can be learnt without taking
/// part in it: whether a new drag began, whether this program started it, and the types it
/// offers. It never asks the drag's source for data. The X11 implementation follows the
/// XdndSelection selection; a null one serves where Qt does not run on X11 (it never sees a
/// drag), and HBFakeDragSelection stands in for tests. Main thread only.
class HBDragSelection : public QObject
{
    Q_OBJECT
public:
    explicit HBDragSelection(QObject *parent = nullptr);
    ~HBDragSelection() override;

    /// Increases each time a drag begins (a new owner of the drag selection, or the same
    /// owner taking it again); equal counts mean the same drag. 0 before the first drag.
    virtual qint64 changeCount() const = 0;
    /// Whether the latest drag began in this program.
    virtual bool isOwnDrag() const = 0;
    /// The MIME types and X11 targets the latest drag offers; nullopt when its source does
    /// not tell them, an empty list when no drag was seen.
    virtual std::optional<QStringList> offeredTypes() const = 0;

    /// The drag selection the program uses; a null one until one is installed.
    static HBDragSelection *sharedSelection();
    /// Installs the program's drag selection (not taken over; when it is destroyed,
    /// sharedSelection() falls back to the null one).
    static void setSharedSelection(HBDragSelection *selection);

Q_SIGNALS:
    /// A drag began: changeCount() increased.
    void changed();
};
