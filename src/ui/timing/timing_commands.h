#pragma once
// The item "Расчёт режима по интенсивностям…" of "Инструменты".
#include <functional>

#include "model/configuration.h"

class QWidget;

namespace livra {
class UserDialogs;
}

namespace livra::ui {

// Opens the dialog over `owner`; `applied(program)` runs after each
// "Применить", while the dialog stays open, for the views and the history.
void openTimingDialog(QWidget* owner, Configuration& c, const std::function<void(int)>& applied);

// "Оценка в SUMO…": the programs run in SUMO side by side.
void openSumoEvaluation(QWidget* owner, const Configuration& c, UserDialogs& ui);

}  // namespace livra::ui
