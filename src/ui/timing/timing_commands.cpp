#include "ui/timing/timing_commands.h"

#include "ui/evaluation/sumo_evaluation_window.h"
#include "ui/timing/timing_dialog.h"

namespace livra::ui {

void openTimingDialog(QWidget* owner, Configuration& c, const std::function<void(int)>& applied) {
    TimingDialog dialog(owner, c);
    QObject::connect(&dialog, &TimingDialog::applied, owner, [&applied](int program) { applied(program); });
    dialog.exec();
}

void openSumoEvaluation(QWidget* owner, const Configuration& c, UserDialogs& ui) {
    SumoEvaluationWindow window(owner, c, ui);
    window.exec();
}

}  // namespace livra::ui
