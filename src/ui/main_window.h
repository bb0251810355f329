#pragma once
// The main window: menus, the three tabs with their tables and controls, the
// error list with "Тест", and the 150 ms refresh of the visible tab.
//
// The editors (tact grid, tact and signal dialogs, directions, calendar) and
// the simulator window attach through the signals below: the window owns the
// controls and the pop-up menus, the editors own the rules.
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/controller_commands.h"
#include "app/file_commands.h"
#include "check/safety_check.h"
#include "edit/edit_history.h"
#include "model/configuration.h"
#include "ui/qt_dialogs.h"

class QAction;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollBar;
class QTabBar;
class QTabWidget;
class QTableWidget;
class QTreeWidget;

namespace livra::ui {

class Editors;
class DiagramWindow;

// A picture control: shows the last assigned image and reports clicks in
// picture-local coordinates.
class CanvasView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    void setImage(const QImage& image);
    const QImage& image() const { return image_; }
    // The scroll bars that the wheel over the picture moves: the wheel the
    // vertical one, Shift+wheel or a sideways wheel the horizontal one.
    void setWheelScrollBars(QScrollBar* vertical, QScrollBar* horizontal);
    // The tooltip for a point of the picture; empty for none.
    std::function<QString(QPoint)> toolTipAt;

signals:
    void clicked(QPoint pos, Qt::MouseButton button);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    QImage image_;
    QScrollBar* vertical_ = nullptr;
    QScrollBar* horizontal_ = nullptr;
    int verticalRest_ = 0, horizontalRest_ = 0;  // parts of a notch from a touchpad
};

// Menu identifiers as the menu events carry them.
enum MenuId {
    MenuNew = 10, MenuOpen = 11, MenuSave = 12, MenuSaveAs = 13, MenuExit = 14,
    MenuHelp = 15, MenuSite = 16, MenuAbout = 17, MenuSimulator = 18, MenuService = 19,
    MenuDiagram = 20, MenuReport = 21, MenuUndo = 22, MenuRedo = 23, MenuSumoExport = 24, MenuSumoImport = 25,
    MenuConflictMatrix = 30,
};
enum PopupKind { PopupNone = 0, PopupDirections = 1, PopupTacts = 2, PopupCalendar = 3 };

inline constexpr const char* kMakerSite = "https://www.livra.example/";
inline constexpr const char* kHelpFile = "help.chm";
inline constexpr const char* kLoaderFile = "BootLoader.exe";

class MainWindow : public QWidget, public FileCommandViews {
    Q_OBJECT
public:
    enum Tab { TabDirections = 0, TabPrograms = 1, TabLink = 2 };

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

    // Shows a pop-up menu at a screen position and remembers which one.
    void showPopup(PopupKind kind, QPoint globalPos);
    int popupContext() const { return popupContext_; }
    QMenu* popupMenu(PopupKind kind) const;
    QAction* menuAction(int id) const;

    // The views that file commands and editors refresh.
    void setTitle(const std::string& title) override;
    void configurationReplaced() override;
    void refreshCalendarList();
    void showLinkState();
    void redrawDirections();
    void redrawTactTable();

    // Controls, for the editors and the tests.
    QTabWidget* tabs() const { return tabs_; }
    CanvasView* directionsCanvas() const { return dirCanvas_; }
    CanvasView* tactCanvas() const { return tactCanvas_; }
    QScrollBar* directionsScroll() const { return dirScroll_; }
    QScrollBar* tactScroll() const { return tactScroll_; }
    QScrollBar* tactDirectionScroll() const { return tactDirScroll_; }
    QComboBox* channelCountBox() const { return channelCount_; }
    QLineEdit* tvp1DelayField() const { return tvp1Delay_; }
    QLineEdit* tvp2DelayField() const { return tvp2Delay_; }
    QTabBar* dayTabs() const { return dayTabs_; }
    QTableWidget* calendarList() const { return calendarList_; }
    QComboBox* copyDayBox() const { return copyDay_; }
    QComboBox* programBox() const { return programBox_; }
    QComboBox* copyProgramBox() const { return copyProgram_; }
    QListWidget* errorList() const { return errorList_; }
    QLineEdit* computerTimeField() const { return computerTime_; }
    QLineEdit* controllerTimeField() const { return controllerTime_; }
    QTreeWidget* journalList() const { return journal_; }

    // Menu commands, also reachable from the tests.
    void runValidator();
    void openSimulator();
    void showAbout();
    void openHelp();
    void openSite();
    void startLoader();
    void openDiagram();  // shows the diagram window, creating it once
    void openConflictMatrix();  // "Матрица конфликтов…"; "Ок" stores it as one edit
    // The safety check's findings as of the last edit; the tact grid marks
    // the tacts they name.
    const SafetyReport& safetyReport() const { return safetyReport_; }
    void updateSafetyMarks();
    // "Отменить" (back) / "Повторить": the editors' changes, step by step.
    void stepHistory(bool back);
    EditHistory& editHistory() { return history_; }
    DiagramWindow* diagramWindow() const { return diagramWindow_; }

signals:
    // For the editors: clicks on the pictures, chosen pop-up items
    // (context as PopupKind, id as in the menu tables), and the simulator.
    void tactCanvasClicked(QPoint pos, Qt::MouseButton button);
    void directionsCanvasClicked(QPoint pos, Qt::MouseButton button);
    void popupChosen(int context, int id);
    void simulatorRequested();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildMenus();
    void buildDirectionsTab(QWidget* page);
    void buildProgramsTab(QWidget* page);
    void buildLinkTab(QWidget* page);
    void menuChosen(int id);
    void delayEdited(QLineEdit* field, std::string& text);
    void channelCountChosen(int index);
    void showChannelCount();
    void copyDay();
    void copyProgram();
    void linkCommand(int which);
    void recordEdits();
    void showRestoredTables(int changedProgram);

    Configuration& c_;
    LinkContext* link_;
    std::unique_ptr<QtDialogs> dialogs_;
    Editors* editors_ = nullptr;  // child QObject
    DiagramWindow* diagramWindow_ = nullptr;  // child window, kept once opened
    LinkTabState linkState_;
    QTimer refresh_;
    EditHistory history_;
    int popupContext_ = PopupNone;
    SafetyReport safetyReport_;
    bool closing_ = false;

    QImage tactImage_, dirImage_;
    QMenuBar* menuBar_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QMenu* directionMenu_ = nullptr;
    QMenu* tactMenu_ = nullptr;
    QMenu* calendarMenu_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    CanvasView* dirCanvas_ = nullptr;
    CanvasView* tactCanvas_ = nullptr;
    QScrollBar* dirScroll_ = nullptr;
    QScrollBar* tactScroll_ = nullptr;
    QScrollBar* tactDirScroll_ = nullptr;
    QComboBox* channelCount_ = nullptr;
    QLineEdit* tvp1Delay_ = nullptr;
    QLineEdit* tvp2Delay_ = nullptr;
    QTabBar* dayTabs_ = nullptr;
    QTableWidget* calendarList_ = nullptr;
    QComboBox* copyDay_ = nullptr;
    QComboBox* programBox_ = nullptr;
    QComboBox* copyProgram_ = nullptr;
    QListWidget* errorList_ = nullptr;
    QLineEdit* computerTime_ = nullptr;
    QLineEdit* controllerTime_ = nullptr;
    QTreeWidget* journal_ = nullptr;
};

// Runs one controller command of the link tab; false when the program was
// built without the link.
enum class LinkCommand { Write, Read, Info, ReadClock, SyncClock, ReadJournal, SaveJournal, Service,
                         Compare, WriteVerified };
bool runLinkCommand(LinkCommand which, Configuration& c, LinkContext* link, UserDialogs& ui, LinkTabState& tab);

}  // namespace livra::ui
