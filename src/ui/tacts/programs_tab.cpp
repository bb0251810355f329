#include "ui/tacts/programs_tab.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QAbstractItemView>
#include <QStyledItemDelegate>
#include <QScrollBar>

#include <algorithm>

#include "edit/grid_geometry.h"
#include "edit/program_summary.h"
#include "edit/tact_edit.h"
#include "edit/tact_grid.h"
#include "ui/texts.h"
#include "ui/canvas_view.h"
#include "ui/canvases.h"
#include "ui/widget_helpers.h"

namespace livra::ui {

namespace {

constexpr int SummaryRole = Qt::UserRole + 1;

// The program list shows each program's summary; the closed box its title.
class SummaryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString summary = index.data(SummaryRole).toString();
        if (!summary.isEmpty()) option->text = summary;
    }
};

}  // namespace

ProgramsTab::ProgramsTab(Configuration& c, QWidget* parent) : QWidget(parent), c_(c) {
    setObjectName("programsTab");
    image_ = makeTactCanvas();
    canvas_ = placeCanvas(this, "tactCanvas", 5, 15, grid::TactGridWidth, grid::TactGridHeight);
    connect(canvas_, &CanvasView::clicked, this,
            [this](QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers keys) {
                shownTact_ = -1;
                emit canvasClicked(pos, button, keys);
            });
    connect(canvas_, &CanvasView::dragged, this, &ProgramsTab::canvasDragged);
    connect(canvas_, &CanvasView::released, this, &ProgramsTab::canvasReleased);
    // The keys act where the grid has the focus (a click gives it).
    canvas_->setFocusPolicy(Qt::ClickFocus);
    canvas_->setStandardKeys({QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste});
    connect(canvas_, &CanvasView::standardKey, this, [this](QKeySequence::StandardKey k) {
        emit clipboardKey(k == QKeySequence::Copy ? Qt::Key_C : k == QKeySequence::Cut ? Qt::Key_X : Qt::Key_V);
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

    form_.add(canvas_, GrowX | GrowY);
    form_.add(tactScroll_, MoveY | GrowX);
    form_.add(directionScroll_, MoveX | GrowY);
    form_.add(placeLabel("Программа № ", this, 870, 10, 90), MoveX);
    programBox_ = new QComboBox(this);
    programBox_->setObjectName("programBox");
    programBox_->setGeometry(870, 25, 65, 20);
    for (int p = 0; p < ProgramCount; ++p) programBox_->addItem(QString::fromStdString(programTitle(p)));
    programBox_->setCurrentIndex(c_.CurrentProgram);
    // The closed box keeps the number; its list says what each program is.
    programBox_->setItemDelegate(new SummaryDelegate(programBox_));
    programBox_->view()->setMinimumWidth(260);
    form_.add(programBox_, MoveX);
    cycle_ = placeLabel("", this, 870, 50, 90, 30);
    cycle_->setObjectName("programCycle");
    cycle_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    form_.add(cycle_, MoveX);
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
    form_.add(rebuild_, MoveX | MoveY);

    form_.add(placeLabel("Копия из пр.№", this, 870, 355, 90), MoveX | MoveY);
    copyProgram_ = new QComboBox(this);
    copyProgram_->setObjectName("copyProgramBox");
    copyProgram_->setGeometry(870, 375, 65, 20);
    for (int p = FirstUserProgram + 1; p <= ProgramCount; ++p) copyProgram_->addItem(QString::number(p));
    auto* ok = placeButton("Ok", this, 870, 405, 45, 20, "copyProgramOk");
    form_.add(copyProgram_, MoveX | MoveY);
    form_.add(ok, MoveX | MoveY);
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
    if (selection_ && selection_->program == c_.CurrentProgram) drawSelection(image_, *selection_, t, d);
    bool short_ = false;
    if (safety_)
        for (const SafetyFinding& f : safety_->findings)
            short_ |= f.program == c_.CurrentProgram &&
                      (f.rule == SafetyRule::Intergreen || f.rule == SafetyRule::SeamIntergreen);
    rebuild_->setEnabled(short_ && isUserProgram(c_.CurrentProgram));
    if (shownTact_ >= t && shownTact_ < t + visibleTactColumns(image_.width())) {
        QPainter p(&image_);
        p.setPen(QPen(QColor(0, 0, 255), 2));
        const int x0 = grid::CellWidth * (shownTact_ - t + 1);
        p.drawRect(x0, 0, grid::CellWidth - 1, image_.height() - 1);
    }
    canvas_->setImage(image_);
    showSummaries();
}

void ProgramsTab::showTact(int tact) {
    shownTact_ = std::clamp(tact, 0, TactCount - 1);
    const int visible = visibleTactColumns(canvas_->width()) - 1;
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

QString ProgramsTab::programSummaryText(const Configuration& c, int program) {
    QString text = QString::fromStdString(programTitle(program));
    if (program < FirstUserProgram || program >= ProgramCount) return text;
    const ProgramSummary s = summarizeProgram(c, program);
    if (s.tacts == 0) return text + " — " + kProgramEmptyText;
    text += QString(" — %1 с, %2 %3").arg(s.cycle).arg(s.tacts).arg(kTactWords[countForm(s.tacts)]);
    if (s.inCalendar) text += QString(", ") + kInCalendarText;
    return text;
}

void ProgramsTab::showSummaries() {
    for (int p = 0; p < ProgramCount && p < programBox_->count(); ++p) {
        const QString text = programSummaryText(c_, p);
        if (programBox_->itemData(p, SummaryRole).toString() != text) programBox_->setItemData(p, text, SummaryRole);
    }
    const int p = c_.CurrentProgram;
    const ProgramSummary s = summarizeProgram(c_, p);
    const QString cycle = p >= FirstUserProgram && s.tacts > 0
                              ? QString(kCycleLabel).arg(s.cycle) + "\n" +
                                    QString("%1 %2").arg(s.tacts).arg(kTactWords[countForm(s.tacts)])
                              : QString();
    if (cycle_->text() != cycle) cycle_->setText(cycle);
}

void ProgramsTab::growBy(int dx, int dy) {
    form_.apply(dx, dy);
    if (image_.size() != canvas_->size()) image_ = makeTactCanvas(canvas_->width(), canvas_->height());
    tactScroll_->setPageStep(std::max(1, visibleTactColumns(canvas_->width())));
    directionScroll_->setPageStep(std::max(1, visibleDirectionRows(canvas_->height())));
    redraw();
}

int ProgramsTab::firstTact() const { return tactScroll_->value(); }
int ProgramsTab::firstDirection() const { return directionScroll_->value(); }

}  // namespace livra::ui
