// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QWidget>

class QPainter;
class QPainterPath;

/// A view that draws a rounded background colour or image, a border and a shadow. Its
/// alphaValue scales what it draws itself (the background colour's alpha is multiplied by
/// it), not its children. Input events the view leaves unhandled go to its controller
/// before its parent.
class NVView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)
    Q_PROPERTY(QImage backgroundImage READ backgroundImage WRITE setBackgroundImage)
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(double borderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(double cornerRadius READ cornerRadius WRITE setCornerRadius)
    Q_PROPERTY(double alphaValue READ alphaValue WRITE setAlphaValue)

public:
    explicit NVView(QWidget *parent = nullptr);

    QColor backgroundColor() const { return m_backgroundColor; }
    /// An invalid colour draws no background; a different colour redraws.
    void setBackgroundColor(const QColor &color);

    QImage backgroundImage() const { return m_backgroundImage; }
    /// Drawn over the bounds after the background and border; a null image draws none.
    void setBackgroundImage(const QImage &image);

    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor &color);
    double borderWidth() const { return m_borderWidth; }
    void setBorderWidth(double width);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);

    /// The view's own opacity, 0..1.
    double alphaValue() const { return m_alphaValue; }
    void setAlphaValue(double alpha);

    /// A shadow under the background and border: its colour (invalid or transparent for
    /// none), offset and blur radius. Setting it redraws.
    void setShadow(const QColor &color, const QPointF &offset = {0, 2}, double blurRadius = 4);
    bool hasShadow() const { return m_shadowColor.isValid() && m_shadowColor.alpha() > 0; }

    /// The controller that gets the input events the view does not handle; may be none.
    QObject *viewController() const { return m_viewController; }
    void setViewController(QObject *controller) { m_viewController = controller; }

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void drawShadow(QPainter &painter, const QPainterPath &path) const;

    QPointer<QObject> m_viewController;
    QColor m_backgroundColor;
    QImage m_backgroundImage;
    QColor m_borderColor;
    QColor m_shadowColor;
    QPointF m_shadowOffset;
    double m_shadowBlurRadius = 0;
    double m_borderWidth = 0;
    double m_cornerRadius = 0;
    double m_alphaValue = 1;
};
