#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <algorithm>

#include "app/pack_commands.h"
#include "app/safety_commands.h"
#include "check/validator.h"
#include "edit/conflict_matrix.h"
#include "pictures/pictures.h"
#include "ui/diagram/diagram_window.h"
#include "ui/directions/directions_tab.h"
#include "ui/editors/editors.h"
#include "ui/link/link_tab.h"
#include "ui/design/design_dialog.h"
#include "ui/passport/passport_commands.h"
#include "ui/safety/conflict_matrix_dialog.h"
#include "ui/safety/finding_navigation.h"
#include "ui/sumo/sumo_commands.h"
#include "ui/tacts/programs_tab.h"
#include "ui/texts.h"
#include "ui/timing/timing_commands.h"
#include "ui/widget_helpers.h"

namespace livra::ui {

MainWindow::MainWindow(Configuration& config, LinkContext* link, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      c_(config), link_(link) {
    setObjectName("mainWindow");
    setWindowTitle(kBaseTitle);
    setWindowIcon(pictures::builtInPictures().appIcon);
    // The smallest size is the form's own; a larger window gives the tables
    // and the journal the room.
    setMinimumSize(kSmallestWidth, kSmallestHeight);
    resize(kSmallestWidth, kSmallestHeight);
    QFont arial("Arial");
    arial.setPixelSize(11);
    setFont(arial);

    buildMenus();

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("tabs");
    tabs_->setGeometry(5, 25, 970, 470);
    directionsTab_ = new DirectionsTab(c_);
    programsTab_ = new ProgramsTab(c_);
    programsTab_->setSafetyReport(&safetyReport_);
    linkTab_ = new LinkTab;
    tabs_->addTab(directionsTab_, "Направления,каналы,календарь");
    tabs_->addTab(programsTab_, "Программы,фазы,такты");
    tabs_->addTab(linkTab_, "Связь с ДК");

    form_.add(menuBar_, GrowX);
    form_.add(tabs_, GrowX | GrowY);
    form_.add(placeFrame("Ошибки", this, 5, 500, 970, 115), MoveY | GrowX);
    errorList_ = new QListWidget(this);
    errorList_->setObjectName("errorList");
    errorList_->setGeometry(15, 520, 900, 85);
    QPalette pal = errorList_->palette();
    pal.setColor(QPalette::Base, QColor(246, 239, 140));
    errorList_->setPalette(pal);
    auto* test = placeButton("Тест", this, 925, 520, 45, 20, "testButton");
    form_.add(errorList_, MoveY | GrowX);
    form_.add(test, MoveX | MoveY);
    connect(test, &QPushButton::clicked, this, &MainWindow::runValidator);
    connectFindingNavigation(errorList_, safetyReport_, c_, *programsTab_, [this] { tabs_->setCurrentIndex(TabPrograms); });

    auto* statusLine = placeLabel("", this, 10, 619, 960, 18);
    statusLine->setObjectName("statusLine");
    dialogs_ = std::make_unique<QtDialogs>(this, errorList_);
    dialogs_->setStatusLine(statusLine);
    linkState_.changed = [this] { showLinkState(); };
    dialogs_->setStartPath([this] { return c_.ProjectFileName; });
    // Each edit is one named step, and its verdict is shown at once.
    editors_ = new Editors(c_, *dialogs_, *directionsTab_, *programsTab_, this,
                           [this](const char* name, int mergeKey) { recordStep(name, mergeKey); });
    connect(linkTab_, &LinkTab::commandRequested, this, &MainWindow::linkCommand);
    connect(linkTab_, &LinkTab::loaderRequested, this, &MainWindow::startLoader);

    connect(tabs_, &QTabWidget::currentChanged, this, [this] { refreshPass(); });
    refresh_.setInterval(150);
    connect(&refresh_, &QTimer::timeout, this, &MainWindow::refreshPass);

    settleTables(c_);
    directionsTab_->refreshCalendarList();
    showLinkState();
    refreshPass();
    history_.reset(c_);
    showHistoryState();
    updateSafetyMarks();
    // Centred on the screen.
    if (QScreen* s = screen()) move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

MainWindow::~MainWindow() { refresh_.stop(); }

void MainWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (!linkTab_) return;  // still being built
    const int dx = std::max(0, width() - kSmallestWidth), dy = std::max(0, height() - kSmallestHeight);
    form_.apply(dx, dy);
    directionsTab_->growBy(dx, dy);
    programsTab_->growBy(dx, dy);
    linkTab_->growBy(dx, dy);
}

void MainWindow::buildMenus() {
    auto* bar = new QMenuBar(this);
    menuBar_ = bar;
    bar->setObjectName("menuBar");
    bar->setNativeMenuBar(false);
    bar->setGeometry(0, 0, 980, 22);
    auto add = [this](QMenu* m, const char* text, int id, QKeySequence keys = {}) {
        QAction* a = m->addAction(text);
        a->setData(id);
        a->setObjectName(QString("menu_%1").arg(id));
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, [this, id] { menuChosen(id); });
    };
    QMenu* file = bar->addMenu("Файл");
    add(file, "Создать", MenuNew, QKeySequence(Qt::CTRL | Qt::Key_N));
    add(file, "Открыть", MenuOpen, QKeySequence(Qt::CTRL | Qt::Key_O));
    add(file, "Сохранить", MenuSave, QKeySequence(Qt::CTRL | Qt::Key_S));
    add(file, "Сохранить как", MenuSaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    file->addSeparator();
    add(file, "Импорт из JSON…", MenuJsonImport);
    add(file, "Экспорт в JSON…", MenuJsonExport);
    add(file, "Упаковать проект…", MenuPack);
    file->addSeparator();
    add(file, "Выход", MenuExit);
    QMenu* edit = bar->addMenu("Правка");
    add(edit, kUndoItem, MenuUndo, QKeySequence(Qt::CTRL | Qt::Key_Z));
    add(edit, kRedoItem, MenuRedo, QKeySequence(Qt::CTRL | Qt::Key_Y));
    QMenu* tools = bar->addMenu("Инструменты");
    add(tools, "Имитатор", MenuSimulator);
    add(tools, "Сервис", MenuService);
    add(tools, "Матрица конфликтов…", MenuConflictMatrix);
    add(tools, "Программа по фазам…", MenuDesign);
    add(tools, kTimingMenuItem, MenuTiming);
    tools->addSeparator();
    add(tools, "Диаграмма программы", MenuDiagram);
    add(tools, "Паспорт объекта…", MenuPassport);
    add(tools, "Отчёт (PDF)…", MenuReport);
    add(tools, "Таблицы в CSV…", MenuReportCsv);
    tools->addSeparator();
    add(tools, "Экспорт в SUMO…", MenuSumoExport);
    add(tools, "Импорт из SUMO…", MenuSumoImport);
    add(tools, "Оценка в SUMO…", MenuSumoEvaluate);
    QMenu* help = bar->addMenu("Помощь");
    add(help, "Справка", MenuHelp, QKeySequence(Qt::Key_F1));
    add(help, "Сайт", MenuSite);
    add(help, "О программе", MenuAbout);
    undoAction_ = menuAction(MenuUndo);
    redoAction_ = menuAction(MenuRedo);
}

QAction* MainWindow::menuAction(int id) const {
    for (QAction* a : menuBar_->findChildren<QAction*>())
        if (a->data().toInt() == id && a->objectName() == QString("menu_%1").arg(id)) return a;
    return nullptr;
}

void MainWindow::menuChosen(int id) {
    switch (id) {
    case MenuNew: newConfiguration(c_, *dialogs_, *this); break;
    case MenuOpen: openProject(c_, *dialogs_, *this); break;
    case MenuSave:
        saveProjectCommand(c_, *dialogs_, *this);
        if (!c_.Modified) history_.markClean(c_);
        break;
    case MenuSaveAs:
        saveProjectAs(c_, *dialogs_, *this);
        if (!c_.Modified) history_.markClean(c_);
        break;
    case MenuJsonImport: importProjectJson(c_, *dialogs_, *this); break;
    case MenuJsonExport: exportProjectJson(c_, *dialogs_); break;
    case MenuPack: packProjectCommand(c_, *dialogs_); break;
    case MenuExit: close(); break;
    case MenuHelp: openHelp(); break;
    case MenuSite: openSite(); break;
    case MenuAbout: showAbout(); break;
    case MenuSimulator: openSimulator(); break;
    case MenuService: linkCommand(LinkCommand::Service); break;
    case MenuDiagram: openDiagram(); break;
    case MenuReport: saveReport(c_, *dialogs_); break;
    case MenuReportCsv: saveReportCsv(c_, *dialogs_); break;
    case MenuPassport:
        if (editPassport(this, c_)) recordEdit(kStepPassport);
        break;
    case MenuSumoExport: exportToSumo(this, c_, *dialogs_); break;
    case MenuSumoImport:
        if (const int program = importFromSumo(this, c_, *dialogs_); program >= 0) {
            settleTables(c_);
            showRestoredTables(program);
            // One undo step; the verdict follows the import's notes.
            history_.record(c_, kStepSumoImport);
            showHistoryState();
            updateSafetyMarks(false);
        }
        break;
    case MenuUndo: stepHistory(true); break;
    case MenuRedo: stepHistory(false); break;
    case MenuConflictMatrix: openConflictMatrix(); break;
    case MenuTiming: openTimingDialog(this, c_, [this](int p) {
            showRestoredTables(p);
            recordStep(kStepTiming);
        }); break;
    case MenuSumoEvaluate: openSumoEvaluation(this, c_, *dialogs_); break;
    case MenuDesign:
        // One undo step; the safety check runs as after any edit.
        if (designProgram(this, c_, *dialogs_)) {
            settleTables(c_);
            showRestoredTables(c_.CurrentProgram);
            recordStep(kStepDesign);
        }
        break;
    default: break;
    }
}

void MainWindow::setTitle(const std::string& title) { setWindowTitle(QString::fromStdString(title)); }

void MainWindow::configurationReplaced() {
    settleTables(c_);
    directionsTab_->scrollToTop();
    programsTab_->scrollToStart();
    showRestoredTables(-1);
    // Another project's tables: nothing before them can be undone.
    history_.reset(c_);
    showHistoryState();
    updateSafetyMarks(false);  // after what the opening or the read said
}

// Every control that shows a stored table, after the tables changed under it.
void MainWindow::showRestoredTables(int changedProgram) {
    directionsTab_->showTables();
    // An undone change in a program is shown where it happened.
    if (changedProgram >= 0) c_.CurrentProgram = uint8_t(changedProgram);
    programsTab_->showCurrentProgram();
    if (diagramWindow_ && diagramWindow_->isVisible()) diagramWindow_->refresh();
}

void MainWindow::recordEdit(const std::string& stepName) {
    settleTables(c_);
    showRestoredTables(-1);
    recordStep(stepName);
}

void MainWindow::recordStep(const std::string& stepName, int mergeKey) {
    if (history_.record(c_, stepName, mergeKey)) updateSafetyMarks();
    showHistoryState();
}

void MainWindow::showHistoryState() {
    auto label = [](const char* item, const std::string& name) {
        return name.empty() ? QString(item) : QString("%1: %2").arg(item, QString::fromStdString(name));
    };
    undoAction_->setEnabled(history_.canUndo());
    redoAction_->setEnabled(history_.canRedo());
    undoAction_->setText(label(kUndoItem, history_.canUndo() ? history_.undoName() : std::string()));
    redoAction_->setText(label(kRedoItem, history_.canRedo() ? history_.redoName() : std::string()));
}

void MainWindow::stepHistory(bool back) {
    if (dialogs_->exchangeActive()) return;
    const int program = back ? history_.undo(c_) : history_.redo(c_);
    if (program != -2) showRestoredTables(program);
    showHistoryState();
    updateSafetyMarks();
}

void MainWindow::showLinkState() { linkTab_->showState(linkState_); }

void MainWindow::linkCommand(LinkCommand cmd) {
    const std::string projectBefore = c_.ProjectFileName;
    const auto outcome = runLinkCommand(cmd, c_, link_, *dialogs_, linkState_);
    if (!outcome) return;
    if (cmd == LinkCommand::Read) {
        // Reading may have saved the old project under a new name first; the
        // title changes only with the project's name.
        if (c_.ProjectFileName != projectBefore) updateTitle(c_, *this);
        // A failed or cancelled read leaves the views, their scrolling too.
        if (*outcome == LinkOutcome::Ok) configurationReplaced();
    }
    // The read-back's verdict comes after the size report: keep it in view.
    if (cmd == LinkCommand::WriteVerified) errorList_->scrollToBottom();
    showLinkState();
}

void MainWindow::runValidator() { updateSafetyMarks(); }

void MainWindow::openSimulator() {
    if (validateConfiguration(c_, *dialogs_) != 0) {
        dialogs_->messageBox(kWarningTitle, kSimulationRefusedText, Buttons::Ok, Icon::Exclamation);
        return;
    }
    addSafetyLines(c_, *dialogs_);
    emit simulatorRequested();
}

void MainWindow::refreshPass() {
    // A controller command keeps the events moving while it waits; the
    // tables it is about to replace are not touched in the meantime.
    if (dialogs_->exchangeActive()) return;
    switch (tabs_->currentIndex()) {
    case TabDirections: directionsTab_->redraw(); break;
    case TabPrograms: programsTab_->redraw(); break;
    default: break;
    }
    if (diagramWindow_ && diagramWindow_->isVisible()) diagramWindow_->refresh();
}

void MainWindow::openDiagram() {
    if (!diagramWindow_) {
        diagramWindow_ = new DiagramWindow(c_, *dialogs_, this);
        diagramWindow_->placeOver(this);
    }
    diagramWindow_->showProgram(c_.CurrentProgram);
    diagramWindow_->show();
    diagramWindow_->raise();
    diagramWindow_->activateWindow();
}

void MainWindow::openConflictMatrix() {
    ConflictMatrixDialog dialog(this, c_);
    if (dialog.exec() != QDialog::Accepted || !dialog.changed()) return;
    c_.Safety = dialog.result();
    c_.Modified = 1;
    recordStep(kStepConflictMatrix);  // one undo step
    updateSafetyMarks();
}

void MainWindow::updateSafetyMarks(bool freshList) {
    SafetyReport report = checkSafety(c_, c_.Safety);
    const bool changed = !sameSafetyMarks(report, safetyReport_);
    safetyReport_ = std::move(report);
    if (changed && tabs_->currentIndex() == TabPrograms) programsTab_->redraw();
    // The list never shows the verdict of tables that are gone; the safety
    // lines follow a clean validator's line, an error comes alone.
    showVerdict(c_, safetyReport_, *dialogs_, freshList);
}

void MainWindow::startRefresh() { refresh_.start(); }
void MainWindow::stopRefresh() { refresh_.stop(); }

void MainWindow::closeEvent(QCloseEvent* e) {
    if (closing_) {
        e->accept();
        return;
    }
    // No exit in the middle of a controller command.
    if (dialogs_->exchangeActive() || !exitApplication(c_, *dialogs_, *this)) {
        e->ignore();
        return;
    }
    closing_ = true;
    stopRefresh();
    e->accept();
}

}  // namespace livra::ui
