#pragma once
// "Расчёт режима по интенсивностям…": the traffic counts of a program's
// directions in a table, the timing worked out as they are typed (src/timing
// holds the rules), and "Применить" writing the phases' times.
#include <QDialog>
#include <memory>

#include "model/configuration.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace livra::ui {

class TimingDialog : public QDialog {
    Q_OBJECT
public:
    TimingDialog(QWidget* owner, Configuration& config);
    ~TimingDialog() override;

    // After "Применить": the program (index) whose times were written; −1 before.
    int appliedProgram() const { return applied_; }
    // The counts typed were kept in the configuration (on apply or close).
    bool countsChanged() const { return countsChanged_; }

signals:
    // The times of `program` were written: one step for the undo history.
    void applied(int program);

private:
    void fillTable();
    void cellEdited(int row, int column);
    void recompute();
    void apply();
    void keepCounts();

    Configuration& c_;
    std::unique_ptr<Configuration> work_;  // the counts as typed, the times as they stand
    int program_ = FirstUserProgram;
    int applied_ = -1;
    bool countsChanged_ = false;
    bool filling_ = false;
    bool planReady_ = false;
    QComboBox* programs_;
    QTableWidget* table_;
    QTableWidget* phases_;
    QCheckBox* fixCycle_;
    QSpinBox* cycle_;
    QLabel* summary_;
    QLabel* notes_;
    QPushButton* apply_;
    QPushButton* close_;
};

}  // namespace livra::ui
