#include "ui/design/design_dialog.h"

#include "design/start_up.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <algorithm>

#include "ui/canvases.h"
#include "ui/qt_dialogs.h"
#include "ui/safety/conflict_matrix_dialog.h"
#include "ui/texts.h"
#include "ui/widget_helpers.h"

namespace livra::ui {

// The program the design will build, drawn as a timing diagram: a row per
// signal head, the tacts in order at their main times, the call groups
// shaded, each change's seconds above it.
class DesignDiagram : public QWidget {
public:
    DesignDiagram(QWidget* parent, const std::vector<int>& rows) : QWidget(parent), rows_(rows) {
        setObjectName("designDiagram");
    }
    void setProgram(const BuiltProgram* program) {
        program_ = program;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(QColor(160, 160, 160));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        if (!program_ || program_->tacts.empty()) return;
        const auto& tacts = program_->tacts;
        long total = 0;
        for (const Tact& t : tacts) total += t.tMain;
        const int left = 70, top = 34, right = width() - 10;
        const int rowH = std::clamp((height() - top - 22) / std::max<int>(1, int(rows_.size())), 6, 22);
        const double perSecond = double(right - left) / double(std::max<long>(1, total));
        auto xAt = [&](long s) { return left + int(s * perSecond + 0.5); };
        QFont small = font();
        small.setPixelSize(10);
        p.setFont(small);
        // Steady states (phases and call phases) and the changes between them.
        auto isState = [](const Tact& t) {
            return t.kind == TactPhase || ((t.kind == TactTvp1 || t.kind == TactTvp2) && t.tMin == t.tMain);
        };
        long at = 0;
        int phase = 0;
        long changeStart = -1;
        // The phase tact after a call group with the signals of the phase
        // before it holds that phase: it keeps that phase's name.
        const TactSignalRow* lastPhaseRow = nullptr;
        bool afterCall = false;
        auto closeChange = [&](long end) {
            if (changeStart < 0 || end <= changeStart) return;
            p.setPen(QColor(40, 40, 40));
            p.drawText(QRect(xAt(changeStart) - 20, 2, xAt(end) - xAt(changeStart) + 40, 14), Qt::AlignCenter,
                       QString("%1 с").arg(end - changeStart));
        };
        for (size_t k = 0; k < tacts.size(); ++k) {
            const Tact& t = tacts[k];
            const int x0 = xAt(at), x1 = xAt(at + t.tMain);
            if (t.kind == TactTvp1 || t.kind == TactTvp2) {
                p.fillRect(QRect(x0, 18, x1 - x0, height() - 20), QColor(225, 232, 250));
            }
            if (isState(t)) {
                closeChange(at);
                changeStart = -1;
                const bool hold = t.kind == TactPhase && afterCall && lastPhaseRow &&
                                  *lastPhaseRow == program_->tactSignals[k];
                QString name = t.kind == TactTvp1 ? "ТВП1" : "ТВП2";
                if (t.kind == TactPhase) {
                    name = QString::fromStdString(phaseName(hold ? phase - 1 : phase));
                    if (!hold) ++phase, lastPhaseRow = &program_->tactSignals[k];
                }
                p.setPen(QColor(20, 20, 120));
                p.drawText(QRect(x0, 18, std::max(x1 - x0, 30), 14), Qt::AlignLeft | Qt::AlignVCenter, name);
            } else if (changeStart < 0) {
                changeStart = at;
            }
            afterCall = t.kind == TactTvp1 || t.kind == TactTvp2;
            for (size_t r = 0; r < rows_.size(); ++r) {
                const uint8_t s = program_->tactSignals[k][size_t(rows_[r])];
                const QRect cell(x0, top + int(r) * rowH + 2, std::max(1, x1 - x0), rowH - 4);
                switch (s) {
                    case SignalGreen: p.fillRect(cell, QColor(40, 170, 60)); break;
                    case SignalFlashingGreen: p.fillRect(cell, QBrush(QColor(40, 170, 60), Qt::Dense4Pattern)); break;
                    case SignalYellow: p.fillRect(cell, QColor(240, 200, 0)); break;
                    case SignalRedYellow:
                        p.fillRect(cell.adjusted(0, 0, 0, -cell.height() / 2), QColor(210, 40, 40));
                        p.fillRect(cell.adjusted(0, cell.height() / 2, 0, 0), QColor(240, 200, 0));
                        break;
                    case SignalRed: p.fillRect(cell, QColor(210, 40, 40)); break;
                    default: p.fillRect(cell, QColor(200, 200, 200)); break;
                }
            }
            at += t.tMain;
        }
        closeChange(at);
        p.setPen(Qt::black);
        for (size_t r = 0; r < rows_.size(); ++r)
            p.drawText(QRect(4, top + int(r) * rowH, left - 8, rowH), Qt::AlignLeft | Qt::AlignVCenter,
                       QString("напр. %1").arg(rows_[r] + 1));
        const int axis = top + int(rows_.size()) * rowH + 2;
        p.drawLine(left, axis, right, axis);
        const long step = total > 200 ? 50 : total > 80 ? 20 : 10;
        for (long s = 0; s <= total; s += step) {
            p.drawLine(xAt(s), axis, xAt(s), axis + 4);
            p.drawText(QRect(xAt(s) - 20, axis + 4, 40, 14), Qt::AlignCenter, QString::number(s));
        }
        p.drawText(QRect(right - 300, axis + 20, 300, 14), Qt::AlignRight,
                   QString("цикл %1 с, с вызовами при Т осн").arg(total));
    }

private:
    const std::vector<int>& rows_;
    const BuiltProgram* program_ = nullptr;
};

namespace {

bool mayGoKind(uint8_t k) {
    return k == DirVehicle || k == DirPedestrian || k == DirExtraGreen || (k >= DirTram1 && k <= DirTram3);
}

// A new phase's times: the rules' least green, 20 s main.
int leastGreen(const Configuration& c) {
    return std::max({1, c.Safety.rules.minGreenVehicle, c.Safety.rules.minGreenPedestrian});
}

QSpinBox* placeSpin(QWidget* parent, const char* name, int x, int y, int lo, int hi) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(lo, hi);
    box->setGeometry(x, y, 60, 22);
    return box;
}

}  // namespace

DesignDialog::DesignDialog(QWidget* owner, const Configuration& config, int program)
    : QDialog(owner), config_(config), program_(program) {
    setObjectName("designDialog");
    setWindowTitle(kDesignDialogTitle);
    setFixedSize(960, 660);
    for (int d = 0; d < DirectionCount; ++d)
        if (mayGoKind(config.DirectionKind[size_t(d)])) rows_.push_back(d);

    if (const DesignResult<PhaseDesign> read = readPhases(config, program); read.ok()) {
        design_ = *read.value;
    } else {
        const int least = leastGreen(config);
        design_.phases = {{{}, least, std::max(least, 20)}, {{}, least, std::max(least, 20)}};
    }

    table_ = new QTableWidget(this);
    table_->setObjectName("phaseTable");
    table_->setGeometry(10, 10, 600, 300);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->horizontalHeader()->setDefaultSectionSize(56);
    table_->verticalHeader()->setDefaultSectionSize(22);
    connect(table_, &QTableWidget::cellClicked, this, &DesignDialog::cellClicked);
    connect(table_, &QTableWidget::currentCellChanged, this, [this] { currentColumnChanged(); });

    column_ = placeLabel("", this, 625, 12, 320, 16);
    placeLabel("Т мин, с", this, 625, 38, 70, 16);
    tMin_ = placeSpin(this, "tMinBox", 700, 35, 1, 255);
    placeLabel("Т осн, с", this, 775, 38, 70, 16);
    tMain_ = placeSpin(this, "tMainBox", 850, 35, 1, 255);
    connect(tMin_, &QSpinBox::valueChanged, this, [this] { timesEdited(); });
    connect(tMain_, &QSpinBox::valueChanged, this, [this] { timesEdited(); });
    add_ = placeButton("Добавить фазу", this, 625, 68, 155, 24, "addPhaseButton");
    remove_ = placeButton("Удалить фазу", this, 790, 68, 155, 24, "removePhaseButton");
    earlier_ = placeButton("◀ Раньше", this, 625, 98, 155, 24, "earlierButton");
    later_ = placeButton("Позже ▶", this, 790, 98, 155, 24, "laterButton");
    connect(add_, &QPushButton::clicked, this, &DesignDialog::addPhase);
    connect(remove_, &QPushButton::clicked, this, &DesignDialog::removePhase);
    connect(earlier_, &QPushButton::clicked, this, [this] { movePhase(-1); });
    connect(later_, &QPushButton::clicked, this, [this] { movePhase(1); });
    for (int g = 0; g < 2; ++g) {
        const int y = 132 + g * 28;
        call_[g] = new QCheckBox(QString("Фаза вызова ТВП%1, после фазы").arg(g + 1), this);
        call_[g]->setObjectName(g == 0 ? "call1Check" : "call2Check");
        call_[g]->setGeometry(625, y, 250, 22);
        callAfter_[g] = placeSpin(this, g == 0 ? "call1After" : "call2After", 885, y, 1, 1);
        const uint8_t input = g == 0 ? DirTvp1 : DirTvp2;
        const bool hasInput =
            std::find(config.DirectionKind.begin(), config.DirectionKind.end(), input) != config.DirectionKind.end();
        call_[g]->setEnabled(hasInput || design_.calls[size_t(g)].has_value());
        connect(call_[g], &QCheckBox::toggled, this, [this, g] { callToggled(g); });
        connect(callAfter_[g], &QSpinBox::valueChanged, this, [this, g] { callPlaceEdited(g); });
    }
    placeLabel("Промтакты:", this, 625, 190, 200, 16);
    changes_ = new QListWidget(this);
    changes_->setObjectName("changeList");
    changes_->setGeometry(625, 208, 325, 102);

    status_ = placeLabel("", this, 10, 316, 940, 18);
    status_->setObjectName("statusLabel");
    diagram_ = new DesignDiagram(this, rows_);
    diagram_->setGeometry(10, 338, 940, 282);

    build_ = placeButton("Построить", this, 760, 628, 90, 24, "buildButton");
    cancel_ = placeButton(kCancelButton, this, 860, 628, 90, 24, "cancelButton");
    connect(build_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    bindDialogKeys(this, build_, cancel_);

    rebuildTable();
    table_->setCurrentCell(rows_.empty() ? -1 : 0, 0);
    currentColumnChanged();
}

int DesignDialog::columnCount() const {
    return int(design_.phases.size()) + int(design_.calls[0].has_value()) + int(design_.calls[1].has_value());
}

Phase* DesignDialog::phaseOfColumn(int column) {
    if (column < 0) return nullptr;
    if (column < int(design_.phases.size())) return &design_.phases[size_t(column)];
    int k = int(design_.phases.size());
    for (auto& call : design_.calls)
        if (call && k++ == column) return &call->phase;
    return nullptr;
}

void DesignDialog::rebuildTable() {
    filling_ = true;
    const int current = std::max(0, table_->currentColumn());
    table_->setRowCount(int(rows_.size()));
    table_->setColumnCount(columnCount());
    QStringList rowNames, columnNames;
    for (int d : rows_) rowNames << directionLabel(config_, d) + " " + directionKindName(config_.DirectionKind[size_t(d)]);
    for (size_t k = 0; k < design_.phases.size(); ++k) columnNames << QString::fromStdString(phaseName(int(k)));
    for (int g = 0; g < 2; ++g)
        if (design_.calls[size_t(g)]) columnNames << QString("ТВП%1").arg(g + 1);
    table_->setVerticalHeaderLabels(rowNames);
    table_->setHorizontalHeaderLabels(columnNames);
    const SafetyData& s = config_.Safety;
    for (int col = 0; col < columnCount(); ++col) {
        const Phase* ph = phaseOfColumn(col);
        const bool call = col >= int(design_.phases.size());
        for (size_t r = 0; r < rows_.size(); ++r) {
            const int d = rows_[r];
            const bool marked = std::find(ph->directions.begin(), ph->directions.end(), d) != ph->directions.end();
            const bool clash = marked && std::any_of(ph->directions.begin(), ph->directions.end(), [&](int e) {
                                   return s.defined && s.conflict[size_t(d)][size_t(e)];
                               });
            auto* item = new QTableWidgetItem(marked ? "●" : "");
            item->setTextAlignment(Qt::AlignCenter);
            item->setBackground(clash ? QColor(240, 110, 110) : marked ? QColor(120, 200, 120)
                                : call                             ? QColor(232, 238, 252)
                                                                   : QColor(Qt::white));
            if (clash) item->setToolTip("Конфликтует с другим направлением этой фазы");
            table_->setItem(int(r), col, item);
        }
    }
    for (int g = 0; g < 2; ++g) {
        call_[g]->blockSignals(true);
        callAfter_[g]->blockSignals(true);
        call_[g]->setChecked(design_.calls[size_t(g)].has_value());
        callAfter_[g]->setRange(1, std::max<int>(1, int(design_.phases.size())));
        callAfter_[g]->setValue(design_.calls[size_t(g)] ? design_.calls[size_t(g)]->after + 1 : 1);
        callAfter_[g]->setEnabled(design_.calls[size_t(g)].has_value());
        call_[g]->blockSignals(false);
        callAfter_[g]->blockSignals(false);
    }
    if (!rows_.empty()) table_->setCurrentCell(std::max(0, table_->currentRow()), std::min(current, columnCount() - 1));
    filling_ = false;
    currentColumnChanged();
    redesign();
}

void DesignDialog::cellClicked(int row, int column) {
    Phase* ph = phaseOfColumn(column);
    if (!ph || row < 0 || row >= int(rows_.size())) return;
    const int d = rows_[size_t(row)];
    auto at = std::find(ph->directions.begin(), ph->directions.end(), d);
    if (at != ph->directions.end()) ph->directions.erase(at);
    else ph->directions.insert(std::upper_bound(ph->directions.begin(), ph->directions.end(), d), d);
    rebuildTable();
}

void DesignDialog::currentColumnChanged() {
    if (filling_) return;
    const int col = table_->currentColumn();
    const Phase* ph = phaseOfColumn(col);
    const bool call = col >= int(design_.phases.size());
    filling_ = true;
    column_->setText(!ph ? QString() : call ? QString("Фаза вызова %1").arg(table_->horizontalHeaderItem(col)->text())
                                            : QString("Фаза %1").arg(col + 1));
    tMin_->setEnabled(ph && !call);
    tMain_->setEnabled(ph != nullptr);
    if (ph) {
        tMin_->setValue(call ? 1 : std::clamp(ph->tMin, 1, 255));
        tMain_->setValue(std::clamp(ph->tMain, 1, 255));
    }
    remove_->setEnabled(ph && !call && design_.phases.size() > 1);
    earlier_->setEnabled(ph && !call && col > 0);
    later_->setEnabled(ph && !call && col + 1 < int(design_.phases.size()));
    filling_ = false;
}

void DesignDialog::timesEdited() {
    if (filling_) return;
    const int col = table_->currentColumn();
    Phase* ph = phaseOfColumn(col);
    if (!ph) return;
    if (col < int(design_.phases.size())) ph->tMin = tMin_->value();
    ph->tMain = tMain_->value();
    redesign();
}

void DesignDialog::addPhase() {
    const int col = table_->currentColumn();
    const int at = col >= 0 && col < int(design_.phases.size()) ? col + 1 : int(design_.phases.size());
    const int least = leastGreen(config_);
    design_.phases.insert(design_.phases.begin() + at, Phase{{}, least, std::max(least, 20)});
    for (auto& call : design_.calls)
        if (call && call->after >= at) ++call->after;
    rebuildTable();
    table_->setCurrentCell(std::max(0, table_->currentRow()), at);
}

void DesignDialog::removePhase() {
    const int col = table_->currentColumn();
    if (col < 0 || col >= int(design_.phases.size()) || design_.phases.size() < 2) return;
    design_.phases.erase(design_.phases.begin() + col);
    for (auto& call : design_.calls)
        if (call && call->after >= col && call->after > 0) --call->after;
    rebuildTable();
}

void DesignDialog::movePhase(int by) {
    const int col = table_->currentColumn();
    const int to = col + by;
    if (col < 0 || col >= int(design_.phases.size()) || to < 0 || to >= int(design_.phases.size())) return;
    std::swap(design_.phases[size_t(col)], design_.phases[size_t(to)]);
    // A call stays with the phase it follows.
    for (auto& call : design_.calls) {
        if (!call) continue;
        if (call->after == col) call->after = to;
        else if (call->after == to) call->after = col;
    }
    rebuildTable();
    table_->setCurrentCell(std::max(0, table_->currentRow()), to);
}

void DesignDialog::callToggled(int g) {
    auto& call = design_.calls[size_t(g)];
    if (call_[g]->isChecked() && !call) {
        const int after = std::clamp(table_->currentColumn(), 0, int(design_.phases.size()) - 1);
        call = CallPhase{after, Phase{{}, 0, 12}};
    } else if (!call_[g]->isChecked()) {
        call.reset();
    }
    rebuildTable();
}

void DesignDialog::callPlaceEdited(int g) {
    if (filling_ || !design_.calls[size_t(g)]) return;
    design_.calls[size_t(g)]->after = callAfter_[g]->value() - 1;
    redesign();
}

void DesignDialog::redesign() {
    std::string startUp;
    effective_ = withStartUp(config_, program_, design_, startUp);
    built_ = buildProgram(config_, effective_);
    changes_->clear();
    if (!startUp.empty()) changes_->addItem(QString::fromStdString(startUp));
    if (built_.ok()) {
        for (const DesignChange& ch : built_.value->changes) changes_->addItem(QString::fromStdString(ch.text));
        status_->setStyleSheet("color: rgb(0, 110, 0);");
        status_->setText(kDesignReadyText);
        diagram_->setProgram(&*built_.value);
    } else {
        status_->setStyleSheet("color: rgb(190, 0, 0);");
        status_->setText(QString::fromStdString(built_.error));
        diagram_->setProgram(nullptr);
    }
    build_->setEnabled(built_.ok());
}

bool designProgram(QWidget* owner, Configuration& c, UserDialogs& ui) {
    const int program = c.CurrentProgram;
    if (program < FirstUserProgram || program >= ProgramCount) {
        ui.messageBox(kWarningTitle, kDesignNotUserProgramText, Buttons::Ok, Icon::Exclamation);
        return false;
    }
    DesignDialog dialog(owner, c, program);
    if (dialog.exec() != QDialog::Accepted || !applyDesign(c, program, dialog.design()).ok()) return false;
    c.Modified = 1;
    return true;
}

}  // namespace livra::ui
