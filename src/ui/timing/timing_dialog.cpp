#include "ui/timing/timing_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include "timing/program_timing.h"
#include "timing/traffic_edit.h"
#include "ui/qt_dialogs.h"
#include "ui/texts.h"

namespace livra::ui {
namespace {

using timing::TrafficField;

// Columns of the directions table.
enum Column { ColDirection, ColKind, ColFlow, ColLanes, ColSaturation, ColCrossing, ColSpeed, ColGreen, ColX, ColDelay, ColCount };

constexpr TrafficField kFieldOf[] = {TrafficField::Flow, TrafficField::Flow, TrafficField::Flow,
                                     TrafficField::Lanes, TrafficField::LaneSaturation, TrafficField::Crossing,
                                     TrafficField::WalkingSpeed};

bool isInput(int column) { return column >= ColFlow && column <= ColSpeed; }

const QColor kSaturated(255, 190, 190);
const QColor kBadInput(255, 120, 120);
const QColor kNotApplicable(225, 225, 225);

QString number(double v, int digits) { return QString::fromStdString(timing::decimal(v, digits)); }

}  // namespace

TimingDialog::TimingDialog(QWidget* owner, Configuration& config)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      c_(config), work_(std::make_unique<Configuration>(config)) {
    setObjectName("timingDialog");
    setWindowTitle(kTimingDialogTitle);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Программа №:", this), 0, 0);
    programs_ = new QComboBox(this);
    programs_->setObjectName("programList");
    for (int p = FirstUserProgram; p < ProgramCount; ++p)
        if (!isProgramEmpty(c_, p)) programs_->addItem(QString::number(p + 1), p);
    grid->addWidget(programs_, 0, 1);
    fixCycle_ = new QCheckBox("Задать цикл, с:", this);
    fixCycle_->setObjectName("fixCycle");
    grid->addWidget(fixCycle_, 0, 2, Qt::AlignRight);
    cycle_ = new QSpinBox(this);
    cycle_->setObjectName("cycleField");
    cycle_->setRange(10, 255);
    cycle_->setValue(60);
    cycle_->setEnabled(false);
    grid->addWidget(cycle_, 0, 3);
    grid->setColumnStretch(4, 1);

    table_ = new QTableWidget(0, ColCount, this);
    table_->setObjectName("trafficTable");
    table_->setHorizontalHeaderLabels({"Напр.", "Вид", "Интенсивность,\nед/ч", "Полос", "Насыщение\nна полосу, ед/ч",
                                       "Переход, м", "Скорость,\nм/с", "Зелёный, с", "x", "Задержка, с"});
    table_->verticalHeader()->setVisible(false);
    table_->verticalHeader()->setDefaultSectionSize(22);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    table_->setMinimumSize(760, 240);
    grid->addWidget(table_, 1, 0, 1, 5);

    phases_ = new QTableWidget(0, 4, this);
    phases_->setObjectName("phaseTable");
    phases_->setHorizontalHeaderLabels({"Такт", "Направления", "y", "Зелёный, с"});
    phases_->verticalHeader()->setVisible(false);
    phases_->verticalHeader()->setDefaultSectionSize(22);
    phases_->horizontalHeader()->setStretchLastSection(true);
    phases_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    phases_->setSelectionMode(QAbstractItemView::NoSelection);
    phases_->setMinimumHeight(120);
    grid->addWidget(phases_, 2, 0, 1, 5);

    summary_ = new QLabel(this);
    summary_->setObjectName("summary");
    grid->addWidget(summary_, 3, 0, 1, 5);
    notes_ = new QLabel(this);
    notes_->setObjectName("notes");
    notes_->setWordWrap(true);
    notes_->setStyleSheet("color: #a00000");
    grid->addWidget(notes_, 4, 0, 1, 5);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    apply_ = new QPushButton("Применить", this);
    apply_->setObjectName("applyButton");
    // Enter belongs to the table's cells here, not to a button.
    apply_->setAutoDefault(false);
    close_ = new QPushButton("Закрыть", this);
    close_->setObjectName("closeButton");
    close_->setAutoDefault(false);
    buttons->addWidget(apply_);
    buttons->addWidget(close_);
    grid->addLayout(buttons, 5, 0, 1, 5);
    bindDialogKeys(this, nullptr, close_);

    const int current = programs_->findData(int(c_.CurrentProgram));
    programs_->setCurrentIndex(current >= 0 ? current : 0);
    program_ = programs_->count() ? programs_->currentData().toInt() : FirstUserProgram;

    connect(programs_, &QComboBox::currentIndexChanged, this, [this] {
        program_ = programs_->currentData().toInt();
        fillTable();
    });
    connect(fixCycle_, &QCheckBox::toggled, this, [this](bool on) {
        cycle_->setEnabled(on);
        recompute();
    });
    connect(cycle_, &QSpinBox::valueChanged, this, [this] { recompute(); });
    connect(table_, &QTableWidget::cellChanged, this, &TimingDialog::cellEdited);
    connect(apply_, &QPushButton::clicked, this, &TimingDialog::apply);
    connect(close_, &QPushButton::clicked, this, [this] {
        keepCounts();
        accept();
    });
    fillTable();
}

TimingDialog::~TimingDialog() = default;

void TimingDialog::fillTable() {
    filling_ = true;
    table_->setRowCount(0);
    for (int d = 0; d < DirectionCount; ++d) {
        const uint8_t kind = work_->DirectionKind[d];
        if (!isNormalDirection(kind)) continue;
        const int row = table_->rowCount();
        table_->insertRow(row);
        const DirectionTraffic t = timing::trafficOf(*work_, program_, d);
        auto* num = new QTableWidgetItem(QString::number(d + 1));
        num->setData(Qt::UserRole, d);
        const QString values[] = {QString::number(d + 1), kind == DirPedestrian ? "пешеходное" : "транспортное",
                                  QString::number(t.flow), QString::number(t.lanes), QString::number(t.laneSaturation),
                                  number(t.crossingLength, 1), number(t.walkingSpeed, 1)};
        for (int col = 0; col < ColCount; ++col) {
            auto* item = col == ColDirection ? num : new QTableWidgetItem(col <= ColSpeed ? values[col] : QString());
            const bool editable = isInput(col) && timing::fieldApplies(kFieldOf[col], kind);
            if (!editable) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            if (isInput(col) && !editable) {
                item->setText(QString());
                item->setBackground(kNotApplicable);
            }
            item->setTextAlignment(col == ColKind ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
            table_->setItem(row, col, item);
        }
    }
    filling_ = false;
    recompute();
}

void TimingDialog::cellEdited(int row, int column) {
    if (filling_ || !isInput(column)) return;
    QTableWidgetItem* item = table_->item(row, column);
    const int d = table_->item(row, ColDirection)->data(Qt::UserRole).toInt();
    const auto r = timing::setTrafficField(*work_, program_, d, kFieldOf[column], item->text().trimmed().toStdString());
    filling_ = true;
    item->setBackground(r.ok() ? QBrush() : QBrush(kBadInput));
    item->setToolTip(r.ok() ? QString() : QString::fromStdString(r.error()));
    filling_ = false;
    if (r.ok()) countsChanged_ = true;
    recompute();
}

void TimingDialog::recompute() {
    const auto r = timing::computeTiming(*work_, program_,
                                         fixCycle_->isChecked() ? std::optional<int>(cycle_->value()) : std::nullopt);
    planReady_ = r.ok();
    apply_->setEnabled(planReady_);
    filling_ = true;
    for (int row = 0; row < table_->rowCount(); ++row)
        for (int col : {ColGreen, ColX, ColDelay}) {
            table_->item(row, col)->setText(QString());
            table_->item(row, col)->setBackground(QBrush());
        }
    phases_->setRowCount(0);
    if (!r.ok()) {
        filling_ = false;
        summary_->setText(QString::fromStdString(r.error()));
        notes_->clear();
        return;
    }
    const timing::TimingPlan& plan = r.value();
    for (const auto& dp : plan.directions)
        for (int row = 0; row < table_->rowCount(); ++row) {
            if (table_->item(row, ColDirection)->data(Qt::UserRole).toInt() != dp.direction) continue;
            table_->item(row, ColGreen)->setText(QString::number(dp.green));
            if (dp.pedestrian) break;
            table_->item(row, ColX)->setText(dp.x ? number(*dp.x, 2) : "—");
            table_->item(row, ColDelay)->setText(dp.delay ? number(*dp.delay, 1) : "—");
            if (dp.flow > 0 && (!dp.x || *dp.x > 0.9))
                for (int col : {ColX, ColDelay}) table_->item(row, col)->setBackground(kSaturated);
        }
    for (const auto& p : plan.phases) {
        const int row = phases_->rowCount();
        phases_->insertRow(row);
        QStringList dirs;
        for (int d : p.directions) dirs << QString::number(d + 1);
        const QString cells[] = {QString::number(p.tact + 1), dirs.join(", "), number(p.y, 3),
                                 QString::number(p.green)};
        for (int col = 0; col < 4; ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            item->setTextAlignment(col == 1 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
            phases_->setItem(row, col, item);
        }
    }
    filling_ = false;
    summary_->setText(QString("Y = %1    L = %2 с    C0 = %3 с    C = %4 с    Средняя задержка: %5")
                          .arg(number(plan.Y, 3))
                          .arg(plan.lostTime)
                          .arg(plan.cycle0)
                          .arg(plan.cycle)
                          .arg(plan.meanDelay ? number(*plan.meanDelay, 1) + " с" : "—"));
    QStringList notes;
    for (const auto& n : plan.notes) notes << QString::fromStdString(n);
    notes_->setText(notes.join("\n"));
}

void TimingDialog::keepCounts() {
    if (!countsChanged_) return;
    c_.Safety.traffic = work_->Safety.traffic;
    c_.Modified = 1;
}

void TimingDialog::apply() {
    const auto r = timing::computeTiming(*work_, program_,
                                         fixCycle_->isChecked() ? std::optional<int>(cycle_->value()) : std::nullopt);
    if (!r.ok()) return;
    keepCounts();
    timing::applyTiming(c_, r.value());
    timing::applyTiming(*work_, r.value());
    c_.Modified = 1;
    applied_ = program_;
    recompute();
    emit applied(program_);
}

}  // namespace livra::ui
