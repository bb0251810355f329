#pragma once
// Driving the tact grid from a test: where its cells and header band are, and
// filling a tact through the real dialogs.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "window_parts.h"
#include "ui/tacts/picture_button.h"
#include "ui/tacts/signal_choice_dialog.h"
#include "ui/tacts/tact_properties_dialog.h"
#include "ui_helpers.h"

namespace livra::uitest {

// Centre of the cell of a tact and a direction; scrolls the direction into
// view when it is not (nine direction rows fit under the band).
inline QPoint tactCell(ui::MainWindow& w, int tact, int direction) {
    QScrollBar* rows = named<QScrollBar>(w, "tactDirectionScroll");
    if (direction < rows->value() || direction > rows->value() + 8) rows->setValue(std::max(0, direction - 4));
    const int n = tact - named<QScrollBar>(w, "tactScroll")->value() + 1;
    const int r = direction - named<QScrollBar>(w, "tactDirectionScroll")->value() + 3;
    return {63 * n + 31, 33 * r + 16};
}

// Centre of a tact's column in the header band.
inline QPoint tactHeader(ui::MainWindow& w, int tact) { return {63 * (tact - named<QScrollBar>(w, "tactScroll")->value() + 1) + 31, 40}; }

// A left click on the header band: the tact dialog gets the kind (its list
// index: Фаза, Промтакт, ТВП1, ТВП2) and the times, then "Ок".
inline void setTactThroughDialog(ui::MainWindow& w, ModalScript& script, int tact, int kindIndex, const QString& tMin,
                                 const QString& tMain) {
    script.act([=](QWidget* widget) {
        auto* d = qobject_cast<ui::TactPropertiesDialog*>(widget);
        if (!d) return false;
        d->kindBox()->setCurrentIndex(kindIndex);
        if (d->minField()->isEnabled()) {
            d->minField()->clear();
            QTest::keyClicks(d->minField(), tMin);
        }
        d->mainField()->clear();
        QTest::keyClicks(d->mainField(), tMain);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(named<ui::CanvasView>(w, "tactCanvas"), Qt::LeftButton, {}, tactHeader(w, tact));
}

// A left click on a cell: the signal choice dialog's picture button for
// `code` is pressed. Fails the test when the dialog offers no such button.
inline void setSignalThroughDialog(ui::MainWindow& w, ModalScript& script, int tact, int direction, int code) {
    script.act([=](QWidget* widget) {
        auto* d = qobject_cast<ui::SignalChoiceDialog*>(widget);
        if (!d) return false;
        for (ui::PictureButton* b : d->pictureButtons())
            if (b->objectName() == QString("signal_%1").arg(code)) {
                QTest::mouseClick(b, Qt::LeftButton);
                return true;
            }
        ADD_FAILURE() << "no button for signal " << code << " at tact " << tact << " direction " << direction;
        QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
        return true;
    });
    QTest::mouseClick(named<ui::CanvasView>(w, "tactCanvas"), Qt::LeftButton, {}, tactCell(w, tact, direction));
}

}  // namespace livra::uitest
