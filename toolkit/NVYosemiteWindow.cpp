// SPDX-License-Identifier: GPL-3.0-or-later
#include "NVYosemiteWindow.h"

#include <QEvent>
#include <QLabel>

NVYosemiteWindow::NVYosemiteWindow(QWidget *parent)
    : NVYosemiteWindow(parent, Qt::Window)
{ }

NVYosemiteWindow::NVYosemiteWindow(QWidget *parent, Qt::WindowFlags flags)
    : QWidget(parent, flags | Qt::FramelessWindowHint)
{ }

void NVYosemiteWindow::setActualTitleLabel(QLabel *label)
{
    m_actualTitleLabel = label;
    if (m_actualTitleLabel)
        m_actualTitleLabel->setText(windowTitle());
}

void NVYosemiteWindow::setActualContentView(QWidget *view)
{
    m_actualContentView = view;
    if (!view)
        return;
    if (view->parentWidget() != this)
        view->setParent(this);
    view->setGeometry(rect());
    view->raise();
    view->show();
}

QWidget *NVYosemiteWindow::contentView() const
{
    if (m_actualContentView)
        return m_actualContentView;
    return const_cast<NVYosemiteWindow *>(this);
}

QColor NVYosemiteWindow::backgroundColor() const
{
    return palette().color(QPalette::Window);
}

void NVYosemiteWindow::setBackgroundColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
    update();
}

void NVYosemiteWindow::configureContentView()
{
    if (!m_actualTitleLabel)
        setActualTitleLabel(findChild<QLabel *>(QStringLiteral("actualTitleLabel")));
    if (!m_actualContentView)
        setActualContentView(
            findChild<QWidget *>(QStringLiteral("actualContentView"), Qt::FindDirectChildrenOnly));
    else
        setActualContentView(m_actualContentView);
}

void NVYosemiteWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowTitleChange && m_actualTitleLabel)
        m_actualTitleLabel->setText(windowTitle());
    QWidget::changeEvent(event);
}

void NVYosemiteWindow::resizeEvent(QResizeEvent *event)
{
    // The content follows the window's width and height.
    if (m_actualContentView)
        m_actualContentView->setGeometry(rect());
    QWidget::resizeEvent(event);
}
