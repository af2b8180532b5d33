// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NVYosemiteWindow.h"

/// The panel form of NVYosemiteWindow: a tool window (kept above its application's
/// windows, left out of the task bar by most window managers).
class NVYosemitePanel : public NVYosemiteWindow
{
    Q_OBJECT
    Q_PROPERTY(bool useContentSize READ useContentSize WRITE setUseContentSize)
    Q_PROPERTY(bool hidesStandardButtons READ hidesStandardButtons WRITE setHidesStandardButtons)

public:
    explicit NVYosemitePanel(QWidget *parent = nullptr);

    /// When set, configureContentView() sizes the panel to its content view instead of
    /// the other way round.
    bool useContentSize() const { return m_useContentSize; }
    void setUseContentSize(bool use) { m_useContentSize = use; }

    /// Kept for interface files; nothing depends on it.
    bool hidesStandardButtons() const { return m_hidesStandardButtons; }
    void setHidesStandardButtons(bool hides) { m_hidesStandardButtons = hides; }

    void configureContentView() override;

protected:
    NVYosemitePanel(QWidget *parent, Qt::WindowFlags flags);

private:
    bool m_useContentSize = false;
    bool m_hidesStandardButtons = false;
};
