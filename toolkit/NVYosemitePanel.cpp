// SPDX-License-Identifier: GPL-3.0-or-later
#include "NVYosemitePanel.h"

NVYosemitePanel::NVYosemitePanel(QWidget *parent)
    : NVYosemitePanel(parent, {})
{ }

NVYosemitePanel::NVYosemitePanel(QWidget *parent, Qt::WindowFlags flags)
    : NVYosemiteWindow(parent, flags | Qt::Tool)
{ }

void NVYosemitePanel::configureContentView()
{
    if (m_useContentSize) {
        QWidget *content = actualContentView();
        if (!content)
            content = findChild<QWidget *>(QStringLiteral("actualContentView"), Qt::FindDirectChildrenOnly);
        // The panel takes the content's size; its position stays.
        if (content)
            resize(content->size());
    }
    NVYosemiteWindow::configureContentView();
}
