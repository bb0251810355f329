#pragma once
// "Направления" (a new direction of a chosen kind in the first free row) and
// the channel dialog of one output slot. Both call the rules of
// edit/directions_edit and close only when the rule accepted the input.
#include <QDialog>
#include <map>

#include "model/configuration.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace livra::ui {

// Places a fixed-size dialog with its corner at `corner` (screen
// coordinates), moved inside the screen when it would stick out.
void placeOnScreen(QWidget* dialog, QPoint corner);

class DirectionsDialog : public QDialog {
    Q_OBJECT
public:
    // For row `direction`; a kind button creates the direction there.
    DirectionsDialog(QWidget* owner, Configuration& config, int direction);

    QPushButton* kindButton(uint8_t kind) const;  // 7 stands for the tram
    QLabel* kindLabel(uint8_t kind) const;
    QPushButton* cancelButton() const { return cancel_; }

private:
    void choose(uint8_t kind);

    Configuration& c_;
    int direction_;
    std::map<uint8_t, std::pair<QPushButton*, QLabel*>> kinds_;
    QPushButton* cancel_;
};

class ChannelDialog : public QDialog {
    Q_OBJECT
public:
    // Slot `slot` of direction `direction`; "Ок" stores the choice.
    ChannelDialog(QWidget* owner, Configuration& config, int direction, int slot);

    QComboBox* channelList() const { return channels_; }
    QRadioButton* currentOption() const { return current_; }
    QRadioButton* voltageOption() const { return voltage_; }
    QRadioButton* offOption() const { return off_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void apply();

    Configuration& c_;
    int direction_, slot_;
    QComboBox* channels_;
    QRadioButton* current_;
    QRadioButton* voltage_;
    QRadioButton* off_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace livra::ui
