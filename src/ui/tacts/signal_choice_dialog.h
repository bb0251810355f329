#pragma once
// The signal choice for one cell of the tact grid: one picture button per
// allowed signal and "Отмена". The dialog only reports the chosen code; the
// tact editor stores it.
#include <QDialog>
#include <QPoint>
#include <vector>

#include "edit/signal_choice.h"

class QPushButton;

namespace livra::ui {

class PictureButton;

class SignalChoiceDialog : public QDialog {
    Q_OBJECT
public:
    // direction and tact are shown 1-based in the title; the window's corner
    // is placed relative to the mouse at mouseGlobal.
    SignalChoiceDialog(QWidget* owner, SignalVariant variant, int direction, int tact, QPoint mouseGlobal);

    SignalVariant variant() const { return variant_; }
    // The code of the pressed picture button; 0 while none was pressed.
    int chosenCode() const { return chosen_; }
    const std::vector<PictureButton*>& pictureButtons() const { return buttons_; }
    QPushButton* cancelButton() const { return cancel_; }

    static QString title(int direction, int tact);

private:
    SignalVariant variant_;
    int chosen_ = 0;
    std::vector<PictureButton*> buttons_;
    QPushButton* cancel_ = nullptr;
};

// Keeps a dialog's corner on the screen that holds the mouse.
QPoint placeOnScreen(QPoint corner, QSize size, QPoint mouseGlobal);

}  // namespace livra::ui
