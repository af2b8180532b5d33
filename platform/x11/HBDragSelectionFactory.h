// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class HBDragSelection;
class QObject;

namespace HBDragSelectionFactory {

/// The drag selection for this session, owned by `parent`: the X11 one when Qt runs on
/// xcb and the X server answers with XFixes, otherwise the null one.
HBDragSelection *create(QObject *parent);

} // namespace HBDragSelectionFactory
