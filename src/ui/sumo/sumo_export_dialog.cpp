#include "ui/sumo/sumo_export_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <filesystem>

#include "app/user_dialogs.h"
#include "check/validator.h"
#include "model/files.h"
#include "model/project_file.h"
#include "sumo/sumo_actuated.h"
#include "sumo/sumo_export.h"
#include "sumo_qt/sumo_xml_reader.h"
#include "ui/qt_dialogs.h"
#include "ui/texts.h"

namespace livra::ui {

namespace {

// NAME.ptm -> NAME.add.xml beside it; "crossroad.add.xml" for an unnamed project.
std::string suggestedPath(const Configuration& c) {
    if (c.ProjectFileName.empty()) return "crossroad.add.xml";
    auto p = pathFromUtf8(c.ProjectFileName);
    p.replace_extension(".add.xml");
    return pathToUtf8(p);
}

std::string sourceName(const Configuration& c) {
    if (c.ProjectFileName.empty()) return "без имени";
    return pathToUtf8(pathFromUtf8(c.ProjectFileName).filename());
}

}  // namespace

SumoExportDialog::SumoExportDialog(QWidget* owner, const Configuration& config, UserDialogs& ui)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      c_(config), ui_(ui) {
    setObjectName("sumoExportDialog");
    setWindowTitle(kSumoExportTitle);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Светофор в сети SUMO (id):", this), 0, 0);
    tls_ = new QLineEdit(QString::fromUtf8(kDefaultSumoTls), this);
    tls_->setObjectName("tlsField");
    grid->addWidget(tls_, 0, 1, 1, 2);
    grid->addWidget(new QLabel("Файл:", this), 1, 0);
    file_ = new QLineEdit(QString::fromStdString(suggestedPath(c_)), this);
    file_->setObjectName("fileField");
    file_->setMinimumWidth(360);
    grid->addWidget(file_, 1, 1);
    browse_ = new QPushButton("Обзор…", this);
    browse_->setObjectName("browseButton");
    browse_->setAutoDefault(false);
    grid->addWidget(browse_, 1, 2);
    actuated_ = new QCheckBox("Программы с ТВП — по вызову (в SUMO тип actuated, детекторы по сети .net.xml)", this);
    actuated_->setObjectName("actuatedCheck");
    actuated_->setEnabled(hasCallPrograms(c_));
    grid->addWidget(actuated_, 2, 0, 1, 3);
    grid->addWidget(new QLabel("Будет записано (программа SUMO — фазы, цикл):", this), 3, 0, 1, 3);
    preview_ = new QListWidget(this);
    preview_->setObjectName("preview");
    preview_->setMinimumHeight(160);
    grid->addWidget(preview_, 4, 0, 1, 3);
    status_ = new QLabel(this);
    status_->setObjectName("status");
    status_->setWordWrap(true);
    grid->addWidget(status_, 5, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    export_ = new QPushButton("Экспортировать", this);
    export_->setObjectName("exportButton");
    export_->setDefault(true);
    cancel_ = new QPushButton(kCancelButton, this);
    cancel_->setObjectName("cancelButton");
    buttons->addWidget(export_);
    buttons->addWidget(cancel_);
    grid->addLayout(buttons, 6, 0, 1, 3);
    bindDialogKeys(this, export_, cancel_);

    connect(tls_, &QLineEdit::textChanged, this, &SumoExportDialog::refreshPreview);
    connect(browse_, &QPushButton::clicked, this, &SumoExportDialog::browse);
    connect(actuated_, &QCheckBox::toggled, this, &SumoExportDialog::actuatedToggled);
    connect(export_, &QPushButton::clicked, this, &SumoExportDialog::exportNow);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    refreshPreview();
}

std::optional<SumoAdditional> SumoExportDialog::build(std::string* error, std::vector<std::string>* notes) const {
    const std::string tls = tls_->text().toStdString();
    if (!actuated_->isChecked() || !net_) return buildSumoExport(c_, tls);
    SumoActuatedResult r = buildSumoActuatedExport(c_, tls, *net_);
    if (!r.ok) {
        *error = "Экспорт по вызову невозможен: " + r.error + ".";
        return std::nullopt;
    }
    *notes = std::move(r.notes);
    return std::move(r.additional);
}

void SumoExportDialog::refreshPreview() {
    preview_->clear();
    const std::string tls = tls_->text().toStdString();
    if (!isValidSumoId(tls)) {
        status_->setText("Идентификатор светофора не может быть пустым, содержать пробелы, кавычки, <, > или &.");
        export_->setEnabled(false);
        return;
    }
    std::string error;
    std::vector<std::string> notes;
    const auto a = build(&error, &notes);
    if (!a) {
        status_->setText(QString::fromStdString(error));
        export_->setEnabled(false);
        return;
    }
    auto lines = sumoExportSummary(*a);
    for (const auto& line : lines) preview_->addItem(QString::fromStdString(line));
    for (const auto& line : notes) preview_->addItem(QString::fromStdString(line));
    VectorErrorList verdict;
    if (validateConfiguration(c_, verdict) != 0) {
        status_->setText(QString::fromStdString("Проверка: " + (verdict.lines.empty() ? "" : verdict.lines.front())));
        export_->setEnabled(false);
        return;
    }
    status_->setText(lines.empty() ? "Нет программ для экспорта." : "");
    export_->setEnabled(!lines.empty());
}

void SumoExportDialog::actuatedToggled(bool on) {
    if (on && !net_) {
        // The net the project was imported from, when it lies beside it; else ask.
        std::optional<std::string> path;
        const std::string& mapped = c_.Safety.sumoMap.net;
        if (!mapped.empty() && !c_.ProjectFileName.empty()) {
            const auto beside = pathFromUtf8(c_.ProjectFileName).parent_path() / pathFromUtf8(mapped);
            std::error_code e;
            if (std::filesystem::is_regular_file(beside, e)) path = pathToUtf8(beside);
        }
        if (!path) {
            UserDialogs::FileDialog d;
            d.title = "Сеть SUMO для детекторов вызова";
            d.filter = "Сети SUMO (*.net.xml *.net.xml.gz)";
            path = ui_.chooseOpenFile(d);
        }
        const SumoReadResult read = path ? readSumoFile(*path) : SumoReadResult{};
        if (path && read.file && read.file->isNet) {
            net_ = *read.file;
        } else {
            if (path)
                ui_.messageBox(kWarningTitle, read.file ? *path + " — не сеть SUMO (.net.xml)" : read.error, Buttons::Ok,
                               Icon::Exclamation);
            const QSignalBlocker quiet(actuated_);
            actuated_->setChecked(false);
        }
    }
    refreshPreview();
}

void SumoExportDialog::browse() {
    UserDialogs::FileDialog d;
    d.title = kSumoExportTitle;
    d.filter = "Файлы SUMO (*.add.xml)";
    d.suggested = file_->text().toStdString();
    if (const auto path = ui_.chooseSaveFile(d)) file_->setText(QString::fromStdString(*path));
}

void SumoExportDialog::exportNow() {
    VectorErrorList verdict;
    if (validateConfiguration(c_, verdict) != 0) {
        ui_.messageBox(kWarningTitle, kSumoExportRefusedText, Buttons::Ok, Icon::Exclamation);
        return;
    }
    const std::string path = file_->text().trimmed().toStdString();
    if (path.empty()) {
        ui_.messageBox(kWarningTitle, kSumoNoFileText, Buttons::Ok, Icon::Exclamation);
        return;
    }
    std::string error;
    std::vector<std::string> notes;
    const auto a = build(&error, &notes);
    if (!a) {
        ui_.messageBox(kWarningTitle, error, Buttons::Ok, Icon::Exclamation);
        return;
    }
    if (!saveSumoExport(*a, path, sourceName(c_))) {
        ui_.messageBox(kErrorTitle, kSaveErrorText, Buttons::Ok, Icon::Error);
        return;
    }
    written_ = path;
    accept();
}

}  // namespace livra::ui
