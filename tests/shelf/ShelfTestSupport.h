// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HBDockWindowController.h"
#include "HBFakeWorkspace.h"

#include <QRect>
#include <QString>

#include <gtest/gtest.h>

#include <memory>

class PasteboardItem;

/// A store of this test's own, a fake workspace as the shared one, and the shelf
/// controller made on demand.
class ShelfTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    /// Adds `count` saved items titled "<prefix> <i>.txt", with orders after the existing ones.
    QList<PasteboardItem *> addItems(int count, const QString &prefix = QStringLiteral("file"));
    /// The controller, made on first call.
    HBDockWindowController &shelf();

    /// The main screen's area the shelf is placed in.
    static QRect screenArea();
    /// The height the shelf takes for `count` items, unclamped.
    int expectedHeight(int count);

    HBFakeWorkspace m_workspace;
    std::unique_ptr<HBDockWindowController> m_controller;
    int m_nextOrder = 0;
};
