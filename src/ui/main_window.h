#pragma once
// The main window: the menus, the three tabs, the error list with "Тест",
// and the session the commands run in (the configuration, the link, the
// undo history of named steps and the 150 ms redraw of the visible tab). The tabs show and
// collect input; the editors act on the tabs; the commands live in src/app.
#include <QTimer>
#include <QWidget>
#include <memory>

#include "app/controller_commands.h"
#include "app/file_commands.h"
#include "check/safety_check.h"
#include "edit/edit_history.h"
#include "model/configuration.h"
#include "ui/link/link_commands.h"
#include "ui/qt_dialogs.h"
#include "ui/widget_helpers.h"

class QAction;
class QListWidget;
class QTabWidget;

namespace livra::ui {

class DiagramWindow;
class DirectionsTab;
class Editors;
class LinkTab;
class ProgramsTab;

// Menu identifiers as the menu events carry them.
enum MenuId {
    MenuNew = 10, MenuOpen = 11, MenuSave = 12, MenuSaveAs = 13, MenuExit = 14,
    MenuHelp = 15, MenuSite = 16, MenuAbout = 17, MenuSimulator = 18, MenuService = 19,
    MenuDiagram = 20, MenuReport = 21, MenuUndo = 22, MenuRedo = 23, MenuSumoExport = 24, MenuSumoImport = 25,
    MenuConflictMatrix = 30, MenuDesign = 31, MenuJsonImport = 40, MenuJsonExport = 41, MenuPassport = 42,
    MenuReportCsv = 43, MenuTiming = 44, MenuSumoEvaluate = 45, MenuPack = 50,
};

inline constexpr const char* kMakerSite = "https://www.livra.example/";
inline constexpr const char* kHelpFile = "help.chm";
inline constexpr const char* kLoaderFile = "BootLoader.exe";

class MainWindow : public QWidget, public FileCommandViews {
    Q_OBJECT
public:
    enum Tab { TabDirections = 0, TabPrograms = 1, TabLink = 2 };
    // The form's own size; the window may be made larger, never smaller.
    static constexpr int kSmallestWidth = 980;
    static constexpr int kSmallestHeight = 640;

    // `link` is used by every controller command; null leaves them refusing.
    MainWindow(Configuration& config, LinkContext* link, QWidget* parent = nullptr);
    ~MainWindow() override;

    Configuration& configuration() { return c_; }
    QtDialogs& dialogs() { return *dialogs_; }
    Editors& editors() { return *editors_; }
    LinkTabState& linkState() { return linkState_; }

    // One pass of the periodic refresh over the visible tab.
    void refreshPass();
    void startRefresh();
    void stopRefresh();
    bool refreshRunning() const { return refresh_.isActive(); }
    QAction* menuAction(int id) const;

    // The views that the file commands refresh.
    void setTitle(const std::string& title) override;
    void configurationReplaced() override;
    void showLinkState();

    // Menu commands.
    void runValidator();
    void openSimulator();
    void showAbout();
    void openHelp();
    void openSite();
    void startLoader();
    void openDiagram();  // shows the diagram window, creating it once
    void openConflictMatrix();  // "Матрица конфликтов…"; "Ок" stores it as one edit
    // The safety check's findings as of the last edit; the tact grid marks
    // the tacts they name and the error list shows the verdict (cleared
    // first unless `freshList` is false).
    const SafetyReport& safetyReport() const { return safetyReport_; }
    void updateSafetyMarks(bool freshList = true);
    // "Отменить" (back) / "Повторить": the editors' changes, step by step.
    void stepHistory(bool back);

    // A command or dialog that changed the stored tables (or the safety
    // data) calls this once, after its change: the tables are settled and
    // shown, and the whole change becomes ONE undo step under `stepName`
    // ("Отменить: программа по фазам"). A change of directions or channels
    // calls buildFixedPrograms first. Nothing happens when nothing changed.
    void recordEdit(const std::string& stepName);
    // For the editors, which have shown their change already: the step
    // only. Steps with the same nonzero `mergeKey` in a row (the keystrokes
    // of one field) make one step.
    void recordStep(const std::string& stepName, int mergeKey = 0);
    DiagramWindow* diagramWindow() const { return diagramWindow_; }

signals:
    void simulatorRequested();

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void buildMenus();
    void menuChosen(int id);
    void linkCommand(LinkCommand cmd);
    void showHistoryState();
    void showRestoredTables(int changedProgram);

    Configuration& c_;
    LinkContext* link_;
    std::unique_ptr<QtDialogs> dialogs_;
    Editors* editors_ = nullptr;              // child QObject
    DiagramWindow* diagramWindow_ = nullptr;  // child window, kept once opened
    LinkTabState linkState_;
    QTimer refresh_;
    EditHistory history_;
    SafetyReport safetyReport_;
    bool closing_ = false;

    QWidget* menuBar_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    DirectionsTab* directionsTab_ = nullptr;
    ProgramsTab* programsTab_ = nullptr;
    LinkTab* linkTab_ = nullptr;
    QListWidget* errorList_ = nullptr;
    GrowingForm form_;
};

}  // namespace livra::ui
