// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QWidget>

/// An image that is shown but never takes part in input: clicks and drags pass through it,
/// it never takes the focus. Its alphaValue fades the image (animatable).
class HBNoInteractionImageView : public QWidget
{
    Q_OBJECT
    /// The artwork's name (KelvoraResources).
    Q_PROPERTY(QString imageName READ imageName WRITE setImageName)
    Q_PROPERTY(double alphaValue READ alphaValue WRITE setAlphaValue)

public:
    explicit HBNoInteractionImageView(QWidget *parent = nullptr);

    QString imageName() const { return m_imageName; }
    void setImageName(const QString &name);
    QIcon image() const { return m_image; }
    void setImage(const QIcon &image);

    double alphaValue() const { return m_alphaValue; }
    void setAlphaValue(double alpha);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_imageName;
    QIcon m_image;
    double m_alphaValue = 1;
};
