#include "ui/safety/finding_navigation.h"

#include <QListWidget>

#include "ui/tacts/programs_tab.h"

namespace livra::ui {

bool findingTact(const SafetyReport& report, const std::string& line, int& program, int& tact) {
    for (const SafetyFinding& f : report.findings) {
        if (f.text != line) continue;
        if (f.gapFirst >= 0) {
            program = f.gapProgram, tact = f.gapFirst;
        } else {
            program = f.program, tact = f.tact;
        }
        return program >= 0 && program < ProgramCount && tact >= 0 && tact < TactCount;
    }
    return false;
}

void connectFindingNavigation(QListWidget* list, const SafetyReport& report, Configuration& c, ProgramsTab& tab,
                              std::function<void()> showPrograms) {
    const SafetyReport* r = &report;
    Configuration* config = &c;
    ProgramsTab* grid = &tab;
    QObject::connect(list, &QListWidget::itemDoubleClicked, list, [r, config, grid, showPrograms](QListWidgetItem* item) {
        int program = 0, tact = 0;
        if (!item || !findingTact(*r, item->text().toStdString(), program, tact)) return;
        config->CurrentProgram = uint8_t(program);
        config->CurrentTact = tact;
        showPrograms();
        grid->showCurrentProgram();
        grid->showTact(tact);
    });
}

}  // namespace livra::ui
