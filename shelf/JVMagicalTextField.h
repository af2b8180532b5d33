// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QLabel>

/// A label on the shelf that stays readable on any shelf colour: white text on dark
/// colours, black at 0.9 opacity on light ones (luminosity 0.5 or more), following
/// windowColor live, or the colour set with setBackgroundColor().
class JVMagicalTextField : public QLabel
{
    Q_OBJECT

public:
    /// The background style of an enclosing row: 1 is the dark, emphasised one.
    enum BackgroundStyle { NormalBackgroundStyle = 0, EmphasizedBackgroundStyle = 1 };

    explicit JVMagicalTextField(QWidget *parent = nullptr);

    QColor textColor() const;
    /// The text colour from the first evaluation.
    QColor originalColor() const { return m_originalColor; }
    /// The luminosity last applied.
    double lastLuminosity() const { return m_lastLuminosity; }
    bool didAdd() const { return m_didAdd; }
    /// How many times the text colour was chosen from a luminosity (for tests and the
    /// reason below: an unchanged luminosity must not repaint).
    int textColorChanges() const { return m_textColorChanges; }

    /// Evaluates windowColor.
    void updateForWindowColor();
    /// Sets the text colour back to originalColor().
    void updateTextColor();
    /// Chooses the text colour for a background of `color`; nothing when its luminosity is
    /// the one applied last.
    void updateTextColorForBackgroundColor(const QColor &color);
    /// The field's own background: stored, then evaluated like windowColor.
    void setBackgroundColor(const QColor &color);
    QColor backgroundColor() const { return m_backgroundColor; }

    int backgroundStyle() const { return m_backgroundStyle; }
    /// Style 1 gives white text, any other originalColor().
    void setBackgroundStyle(int style);

private:
    void setTextColor(const QColor &color);

    QColor m_originalColor;
    QColor m_backgroundColor;
    double m_lastLuminosity = 0;
    int m_backgroundStyle = NormalBackgroundStyle;
    int m_textColorChanges = 0;
    bool m_evaluated = false;
    bool m_didAdd = false;
};
