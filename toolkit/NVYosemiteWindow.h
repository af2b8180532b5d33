// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QLabel>
#include <QPointer>
#include <QWidget>

/// A frameless top-level window whose own content covers all of it, title area included;
/// the title is shown by a label inside that content.
///
/// In an interface file, the content widget is the child named "actualContentView" and
/// the title label the QLabel named "actualTitleLabel"; configureContentView() picks them
/// up when the window controller has loaded the file.
class NVYosemiteWindow : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor contentBackgroundColor READ contentBackgroundColor)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)

public:
    explicit NVYosemiteWindow(QWidget *parent = nullptr);

    /// The label that shows the window's title; may be none.
    QLabel *actualTitleLabel() const { return m_actualTitleLabel; }
    void setActualTitleLabel(QLabel *label);

    /// The widget that holds the window's whole content and always covers the window.
    /// The window takes it as its child.
    QWidget *actualContentView() const { return m_actualContentView; }
    void setActualContentView(QWidget *view);

    /// The content's background colour; never set by Kelvora itself.
    QColor contentBackgroundColor() const { return m_contentBackgroundColor; }

    /// The widget that holds the content: actualContentView(), else the window itself.
    QWidget *contentView() const;

    /// Sets the window title, which the title label shows too.
    void setTitle(const QString &title) { setWindowTitle(title); }

    QColor backgroundColor() const;
    /// The colour the window fills itself with behind its content.
    void setBackgroundColor(const QColor &color);

    /// Finds the content and title widgets by name when they are not set yet and makes the
    /// content cover the window. Run once the window's interface is in place.
    virtual void configureContentView();

protected:
    explicit NVYosemiteWindow(QWidget *parent, Qt::WindowFlags flags);

    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<QLabel> m_actualTitleLabel;
    QPointer<QWidget> m_actualContentView;
    QColor m_contentBackgroundColor;
};
