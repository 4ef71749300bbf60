#pragma once

#include <QtWidgets>
#include <string_view>

#include "MDIMain.h"
#include "frmActivity.h"

// What the window of `component` lists.
inline QStringList Rows(const MDIMain* frame, std::string_view component) {
    QStringList rows;
    for (const frmActivity* window : frame->findChildren<frmActivity*>()) {
        const auto* model = window->findChild<QAbstractItemView*>("lstActivity")->model();
        for (int row = 0; window->ServiceName() == component && row < model->rowCount(); ++row)
            rows << model->index(row, 0).data().toString();
    }
    return rows;
}
