#pragma once
// The object's passport as a document: "Отчёт (PDF)…" and `livra report`
// take this one road (lay out, then write through the drawing side), and the
// spreadsheet export of its program and intergreen tables.
#include <functional>
#include <string>

#include "app/user_dialogs.h"
#include "report/report.h"

namespace livra {

// What the report is made of besides the tables.
struct ReportJob {
    std::string projectName;  // the file's name; empty for an unsaved project
    std::string date;         // "09.12.2026"
    std::string version;
    const Plan* plan = nullptr;
    const RgbaImage* planPicture = nullptr;
};

// Draws and writes a laid-out report: the empty text or the user's message.
using ReportWriter =
    std::function<std::string(const report::Report& r, const std::string& path, const std::string& footer)>;

report::Report layOutReport(const Configuration& c, const ReportJob& job);
// The footer's own part: "Проект: NAME".
std::string reportFooter(const ReportJob& job);

// Writes the report to `path`; the message on failure, and the page count.
std::string writeReportFile(const Configuration& c, const ReportJob& job, const std::string& path,
                            const ReportWriter& write, int* pages = nullptr);

// "Отчёт (PDF)…": asks for the file (".pdf" added; the diagram window's
// overwrite question), writes it, shows a failure in an error box.
bool saveReportAs(const Configuration& c, const ReportJob& job, UserDialogs& ui, const std::string& suggested,
                  const ReportWriter& write);

// The program and intergreen tables as one .csv file (UTF-8, ";"), written
// atomically; the message on failure.
std::string writeReportCsvFile(const Configuration& c, const std::string& path);
// "Таблицы в CSV…": asks for the file and writes it.
bool saveReportCsvAs(const Configuration& c, UserDialogs& ui, const std::string& suggested);

}  // namespace livra
