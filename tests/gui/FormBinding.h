#pragma once
// The check every form passes: a widget of the right class for every control
// of its model's table, and no widget that stands for a control the table
// does not know.
#include "gui/DialogView.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <set>
#include <vector>

inline void ExpectFormBindsItsTable(CDialogModel& model, CUi& ui) {
    auto pView = CDialogView::Create(model, ui, nullptr);
    ASSERT_NE(pView, nullptr) << model.GetDialogName();
    EXPECT_EQ(pView->objectName(), model.GetDialogName());
    EXPECT_EQ(pView->GetUnboundControls(), std::vector<int>{}) << model.GetDialogName();
    std::set<int> setKnown;
    for (const SControl& control : model.GetControls()) {
        setKnown.insert(control.nId);
    }
    for (QWidget* pWidget : pView->findChildren<QWidget*>(QRegularExpression("^id\\d+$"))) {
        int nId = pWidget->objectName().mid(2).toInt();
        EXPECT_EQ(setKnown.count(nId), 1u) << model.GetDialogName() << " id" << nId;
    }
}
