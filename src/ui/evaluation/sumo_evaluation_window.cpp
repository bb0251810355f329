#include "ui/evaluation/sumo_evaluation_window.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include "app/sumo_evaluation.h"
#include "app/texts.h"
#include "ui/qt_dialogs.h"
#include "ui/texts.h"

namespace livra::ui {

SumoEvaluationWindow::SumoEvaluationWindow(QWidget* owner, const Configuration& config, UserDialogs& ui)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      c_(config), ui_(ui) {
    setObjectName("sumoEvaluationWindow");
    setWindowTitle(kSumoEvaluateTitle);
    auto* grid = new QGridLayout(this);
    auto fileRow = [&](int row, const char* label, const char* name, const char* filter) {
        grid->addWidget(new QLabel(label, this), row, 0);
        auto* field = new QLineEdit(this);
        field->setObjectName(name);
        field->setMinimumWidth(420);
        grid->addWidget(field, row, 1, 1, 2);
        auto* browse = new QPushButton("Обзор…", this);
        browse->setObjectName(QString(name) + "Browse");
        browse->setAutoDefault(false);
        grid->addWidget(browse, row, 3);
        connect(browse, &QPushButton::clicked, this, [this, field, filter] { this->browse(field, filter); });
        return field;
    };
    net_ = fileRow(0, "Сеть SUMO:", "netField", "Сеть SUMO |*.net.xml");
    routes_ = fileRow(1, "Спрос (маршруты):", "routesField", "Маршруты SUMO |*.xml");
    grid->addWidget(new QLabel("Светофор в сети:", this), 2, 0);
    tls_ = new QLineEdit("J", this);
    tls_->setObjectName("tlsField");
    grid->addWidget(tls_, 2, 1);
    grid->addWidget(new QLabel("Длительность, с:", this), 3, 0);
    seconds_ = new QSpinBox(this);
    seconds_->setObjectName("secondsField");
    seconds_->setRange(60, 7 * 24 * 3600);
    seconds_->setValue(3600);
    grid->addWidget(seconds_, 3, 1);
    grid->addWidget(new QLabel("Программы:", this), 4, 0, Qt::AlignTop);
    programs_ = new QListWidget(this);
    programs_->setObjectName("programList");
    programs_->setMaximumHeight(90);
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        if (isProgramEmpty(c_, p)) continue;
        auto* item = new QListWidgetItem(QString("Программа %1").arg(p + 1), programs_);
        item->setData(Qt::UserRole, p);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(p == c_.CurrentProgram ? Qt::Checked : Qt::Unchecked);
    }
    grid->addWidget(programs_, 4, 1, 1, 3);
    progress_ = new QProgressBar(this);
    progress_->setObjectName("progress");
    progress_->setRange(0, 1000);
    progress_->setValue(0);
    progress_->setFormat("%p %");
    grid->addWidget(progress_, 5, 0, 1, 4);
    results_ = new QTableWidget(0, 1, this);
    results_->setObjectName("results");
    results_->verticalHeader()->setVisible(false);
    results_->horizontalHeader()->setVisible(false);
    results_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    results_->setMinimumHeight(260);
    grid->addWidget(results_, 6, 0, 1, 4);
    status_ = new QLabel("Выберите сеть, спрос и программы.", this);
    status_->setObjectName("status");
    status_->setWordWrap(true);
    grid->addWidget(status_, 7, 0, 1, 4);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    run_ = new QPushButton("Запустить", this);
    run_->setObjectName("runButton");
    stop_ = new QPushButton("Прервать", this);
    stop_->setObjectName("stopButton");
    stop_->setEnabled(false);
    close_ = new QPushButton("Закрыть", this);
    close_->setObjectName("closeButton");
    for (QPushButton* b : {run_, stop_, close_}) buttons->addWidget(b);
    grid->addLayout(buttons, 8, 0, 1, 4);
    bindDialogKeys(this, run_, close_);
    connect(run_, &QPushButton::clicked, this, &SumoEvaluationWindow::run);
    connect(stop_, &QPushButton::clicked, this, [this] { cancel_ = true; });
    connect(close_, &QPushButton::clicked, this, [this] {
        if (running_) cancel_ = true;
        else accept();
    });
}

void SumoEvaluationWindow::browse(QLineEdit* field, const char* filter) {
    if (const auto path = ui_.openFileName(filter)) field->setText(QString::fromStdString(*path));
}

void SumoEvaluationWindow::exchangeProgress(std::size_t done, std::size_t total) {
    if (total) progress_->setValue(int(1000.0 * double(done) / double(total)));
}

bool SumoEvaluationWindow::cancelRequested() {
    // SUMO runs in its own process; the window stays alive meanwhile.
    QApplication::processEvents();
    return cancel_;
}

void SumoEvaluationWindow::run() {
    if (running_) return;
    SumoEvaluationRequest rq;
    rq.net = net_->text().toStdString();
    rq.routes = routes_->text().toStdString();
    rq.tls = tls_->text().trimmed().toStdString();
    rq.seconds = seconds_->value();
    for (int i = 0; i < programs_->count(); ++i)
        if (programs_->item(i)->checkState() == Qt::Checked)
            rq.programs.push_back(programs_->item(i)->data(Qt::UserRole).toInt());
    if (rq.net.empty() || rq.routes.empty() || rq.programs.empty()) {
        status_->setText("Нужны сеть, спрос и хотя бы одна программа.");
        return;
    }
    running_ = true;
    cancel_ = false;
    run_->setEnabled(false);
    stop_->setEnabled(true);
    progress_->setValue(0);
    status_->setText("SUMO считает…");
    const auto r = evaluateInSumo(c_, rq, *this);
    running_ = false;
    run_->setEnabled(true);
    stop_->setEnabled(false);
    if (!r.ok()) {
        status_->setText(QString::fromStdString(r.error()));
        if (r.error() != kSumoCancelledText) ui_.messageBox(kSumoEvaluateTitle, r.error(), Buttons::Ok, Icon::Error);
        return;
    }
    const auto lines = sumoEvaluationLines(r.value());
    results_->setRowCount(int(lines.size()));
    results_->setColumnCount(int(rq.programs.size()) + 1);
    for (int row = 0; row < int(lines.size()); ++row) {
        const QStringList cells = QString::fromStdString(lines[row]).split('\t');
        for (int col = 0; col < cells.size() && col < results_->columnCount(); ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            item->setTextAlignment(col == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
            results_->setItem(row, col, item);
        }
    }
    status_->setText(QString("Готово: %1 с с %2 с от начала недели.").arg(rq.seconds).arg(r.value().begin, 0, 'f', 0));
}

}  // namespace livra::ui
