#include "ui/tacts/programs_tab.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <algorithm>
#include <QPushButton>
#include <QScrollBar>

#include "edit/grid_geometry.h"
#include "edit/tact_edit.h"
#include "ui/canvas_view.h"
#include "ui/canvases.h"
#include "ui/widget_helpers.h"

namespace livra::ui {

ProgramsTab::ProgramsTab(Configuration& c, QWidget* parent) : QWidget(parent), c_(c) {
    setObjectName("programsTab");
    image_ = makeTactCanvas();
    canvas_ = placeCanvas(this, "tactCanvas", 5, 15, grid::TactGridWidth, grid::TactGridHeight);
    connect(canvas_, &CanvasView::clicked, this, [this](QPoint pos, Qt::MouseButton button) {
        shownTact_ = -1;
        emit canvasClicked(pos, button);
    });
    tactScroll_ = placeScrollBar(Qt::Horizontal, this, "tactScroll", 0, 415, 830, 25, TactCount, 12);
    directionScroll_ =
        placeScrollBar(Qt::Vertical, this, "tactDirectionScroll", 835, 10, 20, 400, DirectionCount, 8);
    connect(tactScroll_, &QScrollBar::valueChanged, this, &ProgramsTab::redraw);
    connect(directionScroll_, &QScrollBar::valueChanged, this, &ProgramsTab::redraw);
    canvas_->setWheelScrollBars(directionScroll_, tactScroll_);
    canvas_->toolTipAt = [this](QPoint pos) {
        return safety_ ? safetyMarkToolTip(*safety_, c_.CurrentProgram, tactScroll_->value(), pos) : QString();
    };

    placeLabel("Программа № ", this, 870, 10, 90);
    programBox_ = new QComboBox(this);
    programBox_->setObjectName("programBox");
    programBox_->setGeometry(870, 25, 65, 20);
    for (int p = 0; p < ProgramCount; ++p) programBox_->addItem(QString::fromStdString(programTitle(p)));
    programBox_->setCurrentIndex(c_.CurrentProgram);
    connect(programBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        c_.CurrentProgram = uint8_t(index);
        redraw();
    });
    // The program's name from the object's passport, under its number.
    programName_ = placeLabel("", this, 870, 47, 100);
    programName_->setObjectName("programName");

    rebuild_ = placeButton("Перестроить\nпромтакты", this, 865, 300, 95, 36, "rebuildInterphasesButton");
    rebuild_->setToolTip("Перестроить промтакты программы по её фазам, матрице конфликтов и промежуточным временам");
    connect(rebuild_, &QPushButton::clicked, this, &ProgramsTab::rebuildRequested);

    placeLabel("Копия из пр.№", this, 870, 355, 90);
    copyProgram_ = new QComboBox(this);
    copyProgram_->setObjectName("copyProgramBox");
    copyProgram_->setGeometry(870, 375, 65, 20);
    for (int p = FirstUserProgram + 1; p <= ProgramCount; ++p) copyProgram_->addItem(QString::number(p));
    auto* ok = placeButton("Ok", this, 870, 405, 45, 20, "copyProgramOk");
    connect(ok, &QPushButton::clicked, this, [this] { emit copyRequested(copyProgram_->currentText().toInt() - 1); });
}

void ProgramsTab::redraw() {
    const std::string& name = c_.Safety.object.programNames[c_.CurrentProgram % ProgramCount];
    programName_->setText(QString::fromStdString(name));
    programName_->setToolTip(QString::fromStdString(name));
    programBox_->setToolTip(QString::fromStdString(namedProgramTitle(c_.Safety.object, c_.CurrentProgram)));
    const int t = tactScroll_->value();
    const int d = directionScroll_->value();
    drawTactGrid(image_, c_, t, d);
    drawDirectionColumn(image_, c_, d);
    drawTactHeader(image_, c_, t);
    if (safety_) drawSafetyMarks(image_, *safety_, c_.CurrentProgram, t);
    bool short_ = false;
    if (safety_)
        for (const SafetyFinding& f : safety_->findings)
            short_ |= f.program == c_.CurrentProgram &&
                      (f.rule == SafetyRule::Intergreen || f.rule == SafetyRule::SeamIntergreen);
    rebuild_->setEnabled(short_ && isUserProgram(c_.CurrentProgram));
    if (shownTact_ >= t && shownTact_ < t + grid::TactGridWidth / grid::CellWidth - 1) {
        QPainter p(&image_);
        p.setPen(QPen(QColor(0, 0, 255), 2));
        const int x0 = grid::CellWidth * (shownTact_ - t + 1);
        p.drawRect(x0, 0, grid::CellWidth - 1, grid::TactGridHeight - 1);
    }
    canvas_->setImage(image_);
}

void ProgramsTab::showTact(int tact) {
    shownTact_ = std::clamp(tact, 0, TactCount - 1);
    const int visible = grid::TactGridWidth / grid::CellWidth - 2;
    const int first = tactScroll_->value();
    if (shownTact_ < first || shownTact_ >= first + visible) tactScroll_->setValue(std::max(0, shownTact_ - 1));
    redraw();
}

void ProgramsTab::showCurrentProgram() {
    programBox_->setCurrentIndex(c_.CurrentProgram);
    redraw();
}

void ProgramsTab::scrollToStart() {
    // A grid left scrolled far into the old project would show the new one's
    // programs as empty columns.
    tactScroll_->setValue(0);
    directionScroll_->setValue(0);
}

int ProgramsTab::firstTact() const { return tactScroll_->value(); }
int ProgramsTab::firstDirection() const { return directionScroll_->value(); }

}  // namespace livra::ui
