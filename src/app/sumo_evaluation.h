#pragma once
// A program measured in traffic: exported as SUMO runs it, SUMO started on
// the user's net and demand, its outputs read (src/evaluation). Progress and
// cancel go through UserDialogs' exchange window calls.
#include <map>
#include <string>
#include <vector>

#include "app/user_dialogs.h"
#include "evaluation/sumo_outputs.h"
#include "model/configuration.h"

namespace livra {

// The texts of the evaluation; kept beside it, since the operations' table
// (app/texts.h) is included by every window and command.
inline constexpr const char* kSumoEvaluateTitle = "Оценка в SUMO";
inline constexpr const char* kSumoMissingText =
    "SUMO не установлен: программа sumo не найдена.\nУстановите SUMO (в Debian и Ubuntu пакет sumo) и повторите.";
inline constexpr const char* kSumoCancelledText = "Оценка в SUMO прервана";
inline constexpr const char* kSumoFailedText = "SUMO завершился с ошибкой: ";
inline constexpr const char* kSumoOutputText = "Выходные файлы SUMO не прочитаны: ";
inline constexpr const char* kSumoNoProgramText = "Программа пуста или не пользовательская: ";

struct SumoEvaluationRequest {
    std::string net;     // .net.xml, UTF-8 path
    std::string routes;  // route file
    std::string tls = "J";
    std::vector<int> programs;  // 0-based user programs
    int seconds = 3600;
    std::string sumo = "sumo";  // the program to run
};

struct ProgramEvaluation {
    int program = 0;  // 0-based
    int cycle = 0;
    evaluation::TripStats trips;
    int notEntered = 0;
    std::map<std::string, double> saturation;  // per approach edge, pcu/h of green per lane
};

struct SumoEvaluation {
    double begin = 0;  // the first departure of the demand: the measured span starts here
    int seconds = 0;
    std::vector<ProgramEvaluation> programs;
};

// Runs SUMO once per program. A failure's text is for the user: SUMO
// missing (kSumoMissingText), cancelled (kSumoCancelledText), SUMO's own
// error, a file it could not read or write.
timing::Result<SumoEvaluation> evaluateInSumo(const Configuration& c, const SumoEvaluationRequest& request,
                                              UserDialogs& ui);

// The side-by-side lines for the command line and the window.
std::vector<std::string> sumoEvaluationLines(const SumoEvaluation& e);

}  // namespace livra
