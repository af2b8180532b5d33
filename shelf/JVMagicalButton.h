// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NVButton.h"

#include <QIcon>

/// A borderless image button on the shelf that stays readable on any shelf colour: it
/// shows its own image on dark colours and its dark image on light ones (luminosity of
/// windowColor 0.5 or more), switching live when the colour changes.
class JVMagicalButton : public NVButton
{
    Q_OBJECT
    /// The artwork's name (KelvoraResources); sets the original image.
    Q_PROPERTY(QString imageName READ imageName WRITE setImageName)

public:
    explicit JVMagicalButton(QWidget *parent = nullptr);

    QString imageName() const { return m_imageName; }
    void setImageName(const QString &name);

    QIcon originalImage() const { return m_originalImage; }
    void setOriginalImage(const QIcon &image);
    QIcon darkImage() const { return m_darkImage; }
    /// The variant for light backgrounds; re-evaluates the button.
    void setDarkImage(const QIcon &image);
    /// setDarkImage() with the named artwork.
    void setDarkImageName(const QString &name);

    /// The luminosity last evaluated.
    double lastCheck() const { return m_lastCheck; }
    bool didAdd() const { return m_didAdd; }
    /// Whether the dark image is the one shown.
    bool showsDarkImage() const { return m_showsDark; }

    /// Evaluates windowColor and shows the matching image.
    void updateForWindowColor();
    /// Shows the image matching a background of `color`.
    void updateImageForColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_imageName;
    QIcon m_originalImage;
    QIcon m_darkImage;
    double m_lastCheck = 0;
    bool m_didAdd = false;
    bool m_showsDark = false;
};
