// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBNoInteractionView.h"

HBNoInteractionView::HBNoInteractionView(QWidget *parent)
    : NVView(parent)
{
    // Qt's hit testing for the pointer and for drag and drop (QWidget::childAt) skips
    // widgets with this attribute, so events reach the widget underneath.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setAcceptDrops(false);
}
