#pragma once
// "Программа по фазам": the phases as columns, the signal heads as rows; a
// click marks a direction at go in a phase (marks that conflict show red at
// once). Buttons add, remove and move phases; Т мин and Т осн belong to the
// chosen column; a call phase (ТВП1, ТВП2) is a column of its own, placed
// after a chosen phase. Below, the program it will build is drawn live, with
// each change's length and what decides it, or why it cannot be built.
// "Построить" hands the design back; the rules live in design/phase_design.
#include <QDialog>
#include <vector>

#include "app/user_dialogs.h"
#include "design/phase_design.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace livra::ui {

class DesignDiagram;

class DesignDialog : public QDialog {
    Q_OBJECT
public:
    // Prefilled with the phases of `program` (0-based) where it has any.
    DesignDialog(QWidget* owner, const Configuration& config, int program);

    // The phases as they are built: with the all-red start-up put first
    // where the calendar hands the program over to or from ЖМ or ОС.
    const PhaseDesign& design() const { return effective_; }
    // The program the design builds, or why not.
    const DesignResult<BuiltProgram>& built() const { return built_; }

private:
    int columnCount() const;
    // The column's phase: a phase index, or −1/−2 for the call phases.
    Phase* phaseOfColumn(int column);
    void rebuildTable();
    void cellClicked(int row, int column);
    void currentColumnChanged();
    void timesEdited();
    void addPhase();
    void removePhase();
    void movePhase(int by);
    void callToggled(int call);
    void callPlaceEdited(int call);
    void redesign();

    const Configuration& config_;
    int program_ = 0;
    PhaseDesign design_;     // as the engineer edits it
    PhaseDesign effective_;  // what is built
    DesignResult<BuiltProgram> built_;
    std::vector<int> rows_;  // directions that may go
    bool filling_ = false;

    QTableWidget* table_ = nullptr;
    QSpinBox* tMin_ = nullptr;
    QSpinBox* tMain_ = nullptr;
    QLabel* column_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* earlier_ = nullptr;
    QPushButton* later_ = nullptr;
    QCheckBox* call_[2] = {};
    QSpinBox* callAfter_[2] = {};
    QListWidget* changes_ = nullptr;
    QLabel* status_ = nullptr;
    DesignDiagram* diagram_ = nullptr;
    QPushButton* build_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// "Программа по фазам…" on the program on show: "Построить" writes it into
// `c` and gives true; a fixed program is refused with a box.
bool designProgram(QWidget* owner, Configuration& c, UserDialogs& ui);

}  // namespace livra::ui
