// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBPanel.h"

#include "x11/X11WindowHints.h"

#include <QWindow>

HBPanel::HBPanel(QWidget *parent)
    : NVYosemitePanel(parent, Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setBackgroundColor(Qt::transparent);
    setFocusPolicy(Qt::NoFocus);
}

void HBPanel::showEvent(QShowEvent *event)
{
    // The show event comes before the window is mapped, so the hints are in place when the
    // window manager first sees the window; it drops them again when the window is hidden.
    X11WindowHints::setOnAllWorkspaces(windowHandle(), true);
    X11WindowHints::setSkipTaskbar(windowHandle(), true);
    NVYosemitePanel::showEvent(event);
}
