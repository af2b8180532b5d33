// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class HBWorkspace;
class QObject;

namespace HBWorkspaceFactory {

/// The workspace for this session, owned by `parent`: the X11 one when Qt runs on xcb
/// and the X server answers, otherwise the null workspace.
HBWorkspace *create(QObject *parent);

} // namespace HBWorkspaceFactory
