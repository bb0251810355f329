#include "ui/sumo/sumo_import_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "app/user_dialogs.h"
#include "model/project_file.h"
#include "sumo/sumo_import.h"
#include "sumo_qt/sumo_xml_reader.h"
#include "ui/qt_dialogs.h"
#include "ui/texts.h"

namespace livra::ui {

SumoImportDialog::SumoImportDialog(QWidget* owner, Configuration& config, UserDialogs& ui)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      c_(config), ui_(ui) {
    setObjectName("sumoImportDialog");
    setWindowTitle(kSumoImportTitle);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Файл SUMO:", this), 0, 0);
    file_ = new QLineEdit(this);
    file_->setObjectName("fileField");
    file_->setReadOnly(true);
    file_->setMinimumWidth(380);
    grid->addWidget(file_, 0, 1, 1, 2);
    browse_ = new QPushButton("Обзор…", this);
    browse_->setObjectName("browseButton");
    browse_->setAutoDefault(false);
    grid->addWidget(browse_, 0, 3);
    grid->addWidget(new QLabel("Светофор:", this), 1, 0);
    tls_ = new QComboBox(this);
    tls_->setObjectName("tlsList");
    grid->addWidget(tls_, 1, 1);
    grid->addWidget(new QLabel("Программа SUMO:", this), 1, 2, Qt::AlignRight);
    programId_ = new QComboBox(this);
    programId_->setObjectName("programIdList");
    programId_->setMinimumWidth(110);
    grid->addWidget(programId_, 1, 3);
    phases_ = new QTableWidget(0, 5, this);
    phases_->setObjectName("phaseTable");
    phases_->setHorizontalHeaderLabels({"Фаза", "Имя", "Длит., с", "Мин., с", "Сигналы (связь 0, 1, …)"});
    phases_->verticalHeader()->setVisible(false);
    phases_->verticalHeader()->setDefaultSectionSize(22);
    phases_->horizontalHeader()->setStretchLastSection(true);
    phases_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    phases_->setSelectionMode(QAbstractItemView::NoSelection);
    phases_->setMinimumHeight(220);
    grid->addWidget(phases_, 2, 0, 1, 4);
    grid->addWidget(new QLabel("В программу №:", this), 3, 0);
    target_ = new QComboBox(this);
    target_->setObjectName("targetList");
    for (int p = FirstUserProgram; p < ProgramCount; ++p) target_->addItem(QString::number(p + 1), p);
    target_->setCurrentIndex(c_.CurrentProgram >= FirstUserProgram ? c_.CurrentProgram - FirstUserProgram : 0);
    grid->addWidget(target_, 3, 1);
    status_ = new QLabel("Выберите файл SUMO: программы светофоров читаются из него без изменений.", this);
    status_->setObjectName("status");
    status_->setWordWrap(true);
    grid->addWidget(status_, 4, 0, 1, 4);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    import_ = new QPushButton("Импортировать", this);
    import_->setObjectName("importButton");
    import_->setDefault(true);
    import_->setEnabled(false);
    cancel_ = new QPushButton(kCancelButton, this);
    cancel_->setObjectName("cancelButton");
    buttons->addWidget(import_);
    buttons->addWidget(cancel_);
    grid->addLayout(buttons, 5, 0, 1, 4);
    bindDialogKeys(this, import_, cancel_);

    connect(browse_, &QPushButton::clicked, this, &SumoImportDialog::browse);
    connect(tls_, &QComboBox::currentIndexChanged, this, &SumoImportDialog::fillPrograms);
    connect(programId_, &QComboBox::currentIndexChanged, this, &SumoImportDialog::fillPhases);
    connect(import_, &QPushButton::clicked, this, &SumoImportDialog::importNow);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void SumoImportDialog::browse() {
    UserDialogs::FileDialog d;
    d.title = kSumoImportTitle;
    d.filter = "Файлы SUMO (*.xml)";
    if (const auto path = ui_.chooseOpenFile(d)) loadFile(QString::fromStdString(*path));
}

void SumoImportDialog::loadFile(const QString& path) {
    file_->setText(path);
    const SumoReadResult read = readSumoFile(path.toStdString());
    data_ = read.file;
    const QSignalBlocker block(tls_);
    tls_->clear();
    if (!read.file) {
        status_->setText(QString::fromStdString(read.error));
        fillPrograms();
        return;
    }
    for (const auto& id : sumoTlsIds(*read.file)) tls_->addItem(QString::fromStdString(id));
    status_->setText(tls_->count() ? "" : "В файле нет программ светофоров.");
    fillPrograms();
}

void SumoImportDialog::fillPrograms() {
    const QSignalBlocker block(programId_);
    programId_->clear();
    if (data_ && tls_->currentIndex() >= 0)
        for (const auto& id : sumoProgramIds(*data_, tls_->currentText().toStdString()))
            programId_->addItem(QString::fromStdString(id));
    fillPhases();
}

void SumoImportDialog::fillPhases() {
    phases_->setRowCount(0);
    import_->setEnabled(false);
    if (!data_ || programId_->currentIndex() < 0) return;
    const SumoTlLogic* logic = nullptr;
    for (const auto& l : data_->tlLogics)
        if (l.id == tls_->currentText().toStdString() && l.programId == programId_->currentText().toStdString())
            logic = &l;
    if (!logic) return;
    // A preview, not the whole of a hostile file.
    const int rows = int(std::min<std::size_t>(logic->phases.size(), TactCount + 1));
    phases_->setRowCount(rows);
    for (int i = 0; i < rows; ++i) {
        const SumoPhase& ph = logic->phases[std::size_t(i)];
        const QString cells[] = {QString::number(i), QString::fromStdString(ph.name), QString::fromStdString(ph.duration),
                                 QString::fromStdString(ph.minDur), QString::fromStdString(ph.state.substr(0, 200))};
        for (int col = 0; col < 5; ++col) phases_->setItem(i, col, new QTableWidgetItem(cells[col]));
    }
    phases_->resizeColumnsToContents();
    import_->setEnabled(rows > 0);
}

void SumoImportDialog::importNow() {
    if (!data_) return;
    SumoImportRequest r{tls_->currentText().toStdString(), programId_->currentText().toStdString(),
                        target_->currentData().toInt(), false};
    SumoImportResult result = importSumoProgram(c_, *data_, r);
    if (!result.ok && result.targetNotEmpty) {
        const std::string question = result.error + kSumoReplaceQuestion;
        if (ui_.messageBox(kWarningTitle, question, Buttons::YesNo, Icon::Question) != Answer::Yes) return;
        r.replace = true;
        result = importSumoProgram(c_, *data_, r);
    }
    if (!result.ok) {
        ui_.messageBox(kErrorTitle, kSumoImportFailedText + result.error, Buttons::Ok,
                       Icon::Error);
        return;
    }
    importedProgram_ = r.program;
    importedTacts_ = result.tacts;
    accept();
}

}  // namespace livra::ui
