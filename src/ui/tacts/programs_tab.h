#pragma once
// "Программы,фазы,такты": the tact grid of the current program with its two
// scroll bars, the program box and the copy from another program. The tab
// shows the tables and collects input; the tact editor acts on it.
#include <QImage>
#include <QWidget>

#include "check/safety_check.h"
#include "model/configuration.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace livra::ui {

class CanvasView;

class ProgramsTab : public QWidget {
    Q_OBJECT
public:
    explicit ProgramsTab(Configuration& c, QWidget* parent = nullptr);

    void redraw();
    // The program box follows CurrentProgram; the grid is redrawn.
    void showCurrentProgram();
    void scrollToStart();
    // A tact of the current program brought into view and framed in blue
    // until the next click on the grid (a finding's tact, double-clicked).
    void showTact(int tact);
    int shownTact() const { return shownTact_; }
    // The findings whose tacts the header band frames (with a tooltip);
    // the report must outlive the tab.
    void setSafetyReport(const SafetyReport* report) { safety_ = report; }

    // For the editors: where a click landed.
    CanvasView* canvas() const { return canvas_; }
    int firstTact() const;
    int firstDirection() const;

signals:
    void canvasClicked(QPoint pos, Qt::MouseButton button);
    // "Ok" of the copy box: program `source` (index) into CurrentProgram.
    void copyRequested(int source);
    // "Перестроить промтакты": the current program's interphases built again
    // from its phases (enabled while an intergreen of it is cut short).
    void rebuildRequested();

private:
    Configuration& c_;
    const SafetyReport* safety_ = nullptr;
    int shownTact_ = -1;
    QImage image_;
    CanvasView* canvas_ = nullptr;
    QScrollBar* tactScroll_ = nullptr;
    QScrollBar* directionScroll_ = nullptr;
    QComboBox* programBox_ = nullptr;
    QLabel* programName_ = nullptr;  // the current program's name, when it has one
    QComboBox* copyProgram_ = nullptr;
    QPushButton* rebuild_ = nullptr;
};

}  // namespace livra::ui
