#include "app/report_commands.h"

#include "app/save_names.h"
#include "app/texts.h"
#include "model/files.h"
#include "report/report_csv.h"

namespace livra {

report::Report layOutReport(const Configuration& c, const ReportJob& job) {
    report::ReportInput in;
    in.config = &c;
    in.info = {job.projectName, job.date, job.version};
    in.plan = job.plan;
    in.planPicture = job.planPicture;
    return report::planReport(in);
}

std::string reportFooter(const ReportJob& job) {
    return "Проект: " + (job.projectName.empty() ? std::string("без имени") : job.projectName);
}

std::string writeReportFile(const Configuration& c, const ReportJob& job, const std::string& path,
                            const ReportWriter& write, int* pages) {
    const report::Report r = layOutReport(c, job);
    if (pages) *pages = int(r.pages.size());
    return write(r, path, reportFooter(job));
}

bool saveReportAs(const Configuration& c, const ReportJob& job, UserDialogs& ui, const std::string& suggested,
                  const ReportWriter& write) {
    auto name = ui.saveFileName(kPdfDocumentFilter, suggested);
    if (!name) return false;
    *name = withExtension(*name, ".pdf");
    if (!mayWriteTo(ui, *name, OverwriteWording::WholePath)) return false;
    const std::string error = writeReportFile(c, job, *name, write);
    if (!error.empty()) {
        ui.messageBox(kErrorTitle, error, Buttons::Ok, Icon::Error);
        return false;
    }
    return true;
}

std::string writeReportCsvFile(const Configuration& c, const std::string& path) {
    const std::string text = report::reportCsv(layOutReport(c, {}));
    if (!writeFileAtomically(pathFromUtf8(path), std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())))
        return kReportCsvFailedText + path;
    return {};
}

bool saveReportCsvAs(const Configuration& c, UserDialogs& ui, const std::string& suggested) {
    auto name = ui.saveFileName(kReportCsvFilter, suggested);
    if (!name) return false;
    *name = withExtension(*name, ".csv");
    if (!mayWriteTo(ui, *name, OverwriteWording::WholePath)) return false;
    const std::string error = writeReportCsvFile(c, *name);
    if (!error.empty()) {
        ui.messageBox(kErrorTitle, error, Buttons::Ok, Icon::Error);
        return false;
    }
    return true;
}

}  // namespace livra
