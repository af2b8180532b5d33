// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>
#include <memory>

class QSvgRenderer;
class QVariantAnimation;

/// An on/off switch drawn from three images: a track that slides under a fixed frame and
/// a handle that slides from one end to the other. The switch draws the three itself, so
/// that it can be drawn at half opacity as one piece when disabled. A click toggles it with a short slide;
/// a change made by the user (not silent) is stored when persistence is on, then reported
/// to the callback and by triggered().
class YKSwitchView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool on READ isOn WRITE setOn)
    Q_PROPERTY(bool persistValue READ persistValue WRITE setPersistValue)
    Q_PROPERTY(QString identifier READ identifier WRITE setIdentifier)
    Q_PROPERTY(int animationDuration READ animationDuration WRITE setAnimationDuration)

public:
    using StateDidChangeBlock = std::function<void(YKSwitchView *, bool)>;

    /// The slide's duration, in milliseconds.
    static constexpr int defaultAnimationDuration = 100;

    explicit YKSwitchView(QWidget *parent = nullptr);
    ~YKSwitchView() override;

    bool isOn() const { return m_on; }
    /// Changes the state, animated, without notifying.
    void setOn(bool on) { setOn(on, true, true); }
    /// Changes the state; unless `silent`, stores it (with persistence on), calls the
    /// callback and emits triggered() once the change is complete. Not animated when
    /// `animated` is false, the duration is 0 or the setting disableAnimations is on.
    void setOn(bool on, bool silent, bool animated = true);

    /// Called with the switch and its new state after each change that is not silent.
    void setStateDidChangeBlock(StateDidChangeBlock block) { m_stateDidChangeBlock = std::move(block); }

    /// Whether user changes are stored under defaultsKey(); turning it on first takes the
    /// stored state, silently.
    bool persistValue() const { return m_persistValue; }
    void setPersistValue(bool persist);

    /// The identifier in the settings key; the object name when not set.
    QString identifier() const;
    void setIdentifier(const QString &identifier) { m_identifier = identifier; }
    /// "Switch_<identifier>"; empty without an identifier, which disables persistence.
    QString defaultsKey() const;
    /// Takes the stored state, if any, silently and without animation.
    void loadFromDefaults();
    /// Stores the state and writes the settings file at once.
    void saveStateToDefaults();

    int animationDuration() const { return m_animationDuration; }
    void setAnimationDuration(int milliseconds) { m_animationDuration = qMax(0, milliseconds); }

    /// The opacity the switch is drawn at: 1 enabled, 0.5 disabled.
    qreal opacity() const { return isEnabled() ? 1.0 : 0.5; }

    /// The accessibility press action: names the switch "Switch View: On" or "Off" after
    /// its state before the press, then toggles it as a click does.
    void accessibilityPress();

    /// The track's and the handle's positions for each state, in the switch's coordinates
    /// (the track's in the container's).
    QRect backgroundOnFrame() const { return m_backgroundOnFrame; }
    QRect backgroundOffFrame() const { return m_backgroundOffFrame; }
    QRect handleOnFrame() const { return m_handleOnFrame; }
    QRect handleOffFrame() const { return m_handleOffFrame; }
    /// The track's and the handle's current frames; the container's.
    QRect backgroundFrame() const { return m_backgroundFrame; }
    QRect handleFrame() const { return m_handleFrame; }
    QRect containerFrame() const { return m_containerFrame; }
    /// Whether a slide is running.
    bool isAnimating() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    /// The action: the state changed by a change that was not silent.
    void triggered(bool on);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void layoutFrames();
    void placeAt(qreal progress);
    void finishChange();
    void toggleByUser();

    std::unique_ptr<QSvgRenderer> m_containerImage;
    std::unique_ptr<QSvgRenderer> m_backgroundImage;
    std::unique_ptr<QSvgRenderer> m_handleImage;
    QPointer<QVariantAnimation> m_animation;
    QRect m_containerFrame;
    QRect m_backgroundFrame;
    QRect m_handleFrame;
    QRect m_backgroundFromFrame;
    QRect m_handleFromFrame;
    StateDidChangeBlock m_stateDidChangeBlock;
    QString m_identifier;
    QRect m_backgroundOnFrame;
    QRect m_backgroundOffFrame;
    QRect m_handleOnFrame;
    QRect m_handleOffFrame;
    int m_animationDuration = defaultAnimationDuration;
    bool m_on = false;
    bool m_persistValue = false;
    bool m_pendingNotification = false;
};
