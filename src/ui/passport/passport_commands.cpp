#include "ui/passport/passport_commands.h"

#include <QDate>
#include <QFileInfo>

#include "app/report_commands.h"
#include "livra_version.h"
#include "model/files.h"
#include "model/project_file.h"
#include "report_qt/report_export.h"
#include "report_qt/report_sources.h"
#include "ui/diagram/diagram_window.h"
#include "ui/passport/passport_dialog.h"

namespace livra::ui {

bool editPassport(QWidget* owner, Configuration& c) {
    PassportDialog dialog(owner, c);
    if (dialog.exec() != QDialog::Accepted || !dialog.changed()) return false;
    c.Safety.object = dialog.result();
    c.Modified = 1;
    return true;
}

bool saveReport(const Configuration& c, UserDialogs& dialogs) {
    const std::string project =
        c.ProjectFileName.empty() ? "" : QFileInfo(QString::fromStdString(c.ProjectFileName)).fileName().toStdString();
    // The plan as the simulator keeps it in the working folder.
    Bytes planBytes;
    if (!c.ProgramDir.empty())
        if (auto bytes = readWholeFile(planFilePath(c), kMaxPlanFileSize)) planBytes = std::move(*bytes);
    const std::filesystem::path projectFolder =
        c.ProjectFileName.empty() ? std::filesystem::path() : pathFromUtf8(c.ProjectFileName).parent_path();
    const report::ReportPlan plan =
        report::reportPlan(c, planBytes, c.ProgramDir.empty() ? workingFolder() : pathFromUtf8(c.ProgramDir), projectFolder);
    ReportJob job{project, QDate::currentDate().toString("dd.MM.yyyy").toStdString(), LIVRA_VERSION};
    plan.into(job);
    return saveReportAs(c, job, dialogs, suggestedExportName(c, "отчёт", "pdf"), report::writeReportPdf);
}

bool saveReportCsv(const Configuration& c, UserDialogs& dialogs) {
    return saveReportCsvAs(c, dialogs, suggestedExportName(c, "таблицы", "csv"));
}

}  // namespace livra::ui
