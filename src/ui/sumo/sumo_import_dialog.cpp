#include "ui/sumo/sumo_import_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <memory>

#include "app/user_dialogs.h"
#include "model/files.h"
#include "model/project_file.h"
#include "sumo_qt/sumo_xml_reader.h"
#include "ui/qt_dialogs.h"
#include "ui/texts.h"

namespace livra::ui {

namespace {

QString tlsItemText(const SumoTlsSummary& s) {
    QString text = QString::fromStdString(s.id) + " — связей " + QString::number(s.links) + ", групп " +
                   QString::number(s.groups);
    if (s.pedestrianGroups > 0) text += " (пешеходных " + QString::number(s.pedestrianGroups) + ")";
    if (s.programs > 1) text += ", программ " + QString::number(s.programs);
    return text;
}

}  // namespace

SumoImportDialog::SumoImportDialog(QWidget* owner, Configuration& config, UserDialogs& ui)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      c_(config), ui_(ui) {
    setObjectName("sumoImportDialog");
    setWindowTitle(kSumoImportTitle);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Файл SUMO:", this), 0, 0);
    file_ = new QLineEdit(this);
    file_->setObjectName("fileField");
    file_->setMinimumWidth(460);
    grid->addWidget(file_, 0, 1, 1, 2);
    browse_ = new QPushButton("Обзор…", this);
    browse_->setObjectName("browseButton");
    browse_->setAutoDefault(false);
    grid->addWidget(browse_, 0, 3);
    grid->addWidget(new QLabel("Светофор:", this), 1, 0);
    tls_ = new QComboBox(this);
    tls_->setObjectName("tlsList");
    tls_->setMinimumWidth(300);
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
    phases_->setMinimumHeight(200);
    grid->addWidget(phases_, 2, 0, 1, 4);
    grid->addWidget(new QLabel("В программу №:", this), 3, 0);
    target_ = new QComboBox(this);
    target_->setObjectName("targetList");
    for (int p = FirstUserProgram; p < ProgramCount; ++p) target_->addItem(QString::number(p + 1), p);
    target_->setCurrentIndex(c_.CurrentProgram >= FirstUserProgram ? c_.CurrentProgram - FirstUserProgram : 0);
    grid->addWidget(target_, 3, 1, Qt::AlignLeft);
    asFixed_ = new QCheckBox(kSumoAsFixedBox, this);
    asFixed_->setObjectName("asFixedBox");
    grid->addWidget(asFixed_, 4, 0, 1, 4);
    createDirections_ = new QCheckBox(kSumoCreateDirectionsBox, this);
    createDirections_->setObjectName("createDirectionsBox");
    grid->addWidget(createDirections_, 5, 0, 1, 4);
    grid->addWidget(new QLabel(kSumoChangesLabel, this), 6, 0, 1, 4);
    changes_ = new QListWidget(this);
    changes_->setObjectName("changesList");
    changes_->setWordWrap(true);
    changes_->setSelectionMode(QAbstractItemView::NoSelection);
    changes_->setMinimumHeight(150);
    grid->addWidget(changes_, 7, 0, 1, 4);
    status_ = new QLabel(kSumoChooseFile, this);
    status_->setObjectName("status");
    status_->setWordWrap(true);
    grid->addWidget(status_, 8, 0, 1, 4);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    import_ = new QPushButton("Импорт", this);
    import_->setObjectName("importButton");
    import_->setDefault(true);
    import_->setEnabled(false);
    cancel_ = new QPushButton(kCancelButton, this);
    cancel_->setObjectName("cancelButton");
    buttons->addWidget(import_);
    buttons->addWidget(cancel_);
    grid->addLayout(buttons, 9, 0, 1, 4);
    bindDialogKeys(this, import_, cancel_);

    connect(browse_, &QPushButton::clicked, this, &SumoImportDialog::browse);
    file_->installEventFilter(this);
    connect(file_, &QLineEdit::editingFinished, this, &SumoImportDialog::fileTyped);
    connect(tls_, &QComboBox::currentIndexChanged, this, &SumoImportDialog::fillPrograms);
    connect(programId_, &QComboBox::currentIndexChanged, this, &SumoImportDialog::fillPhases);
    connect(target_, &QComboBox::currentIndexChanged, this, &SumoImportDialog::preview);
    connect(asFixed_, &QCheckBox::toggled, this, &SumoImportDialog::preview);
    connect(createDirections_, &QCheckBox::toggled, this, &SumoImportDialog::preview);
    connect(import_, &QPushButton::clicked, this, &SumoImportDialog::importNow);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void SumoImportDialog::browse() {
    UserDialogs::FileDialog d;
    d.title = kSumoImportTitle;
    d.filter = kSumoFilter;
    if (const auto path = ui_.chooseOpenFile(d)) loadFile(QString::fromStdString(*path));
}

bool SumoImportDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == file_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            fileTyped();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SumoImportDialog::fileTyped() {
    // Enter, or leaving the field with a new name, reads it.
    const QString typed = file_->text().trimmed();
    if (typed.isEmpty() || typed == loaded_) return;
    loadFile(typed);
}

void SumoImportDialog::loadFile(const QString& path) {
    loaded_ = path;
    file_->setText(path);
    const SumoReadResult read = readSumoFile(path.toStdString());
    data_ = read.file;
    fileName_ = pathToUtf8(pathFromUtf8(path.toStdString()).filename());
    const QSignalBlocker block(tls_);
    tls_->clear();
    if (!read.file) {
        status_->setText(QString::fromStdString(read.error));
        fillPrograms();
        return;
    }
    for (const auto& id : sumoTlsIds(*read.file))
        tls_->addItem(tlsItemText(sumoTlsSummary(*read.file, id)), QString::fromStdString(id));
    status_->setText(tls_->count() ? "" : "В файле нет программ светофоров.");
    fillPrograms();
}

void SumoImportDialog::fillPrograms() {
    const QSignalBlocker block(programId_);
    programId_->clear();
    if (data_ && tls_->currentIndex() >= 0)
        for (const auto& id : sumoProgramIds(*data_, tls_->currentData().toString().toStdString()))
            programId_->addItem(QString::fromStdString(id));
    fillPhases();
}

void SumoImportDialog::fillPhases() {
    phases_->setRowCount(0);
    import_->setEnabled(false);
    changes_->clear();
    if (!data_ || programId_->currentIndex() < 0) return;
    const SumoImportRequest r = request();
    const SumoTlLogic* logic = nullptr;
    for (const auto& l : data_->tlLogics)
        if (l.id == r.tlsId && l.programId == r.programId) logic = &l;
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
    preview();
}

SumoImportRequest SumoImportDialog::request() const {
    SumoImportRequest r{tls_->currentData().toString().toStdString(), programId_->currentText().toStdString(),
                        target_->currentData().toInt(), false};
    r.asFixed = asFixed_->isChecked();
    r.createDirections = createDirections_->isChecked();
    r.netName = fileName_;
    return r;
}

void SumoImportDialog::preview() {
    changes_->clear();
    if (!data_ || programId_->currentIndex() < 0) return;
    // Worked out on a copy: the project changes only on "Импорт".
    auto copy = std::make_unique<Configuration>(c_);
    SumoImportRequest r = request();
    r.replace = true;
    const bool held = std::any_of(c_.TactTable[r.program].begin(), c_.TactTable[r.program].end(),
                                  [](const Tact& t) { return t.kind != TactEmpty; });
    SumoImportResult result = importSumoProgram(*copy, *data_, r);
    if (!result.ok && result.conflictingGreens) {
        changes_->addItem(QString::fromStdString(result.error));
        changes_->addItem(kSumoWillAskForce);
        r.force = true;
        result = importSumoProgram(*copy, *data_, r);
    }
    if (!result.ok) {
        changes_->addItem(QString::fromStdString(result.error));
        if (result.actuated) changes_->addItem(QString("Чтобы принять её, отметьте «") + kSumoAsFixedBox + "».");
        return;
    }
    if (held) changes_->addItem(kSumoWillReplace);
    for (const auto& line : result.notes) changes_->addItem(QString::fromStdString(line));
    if (changes_->count() == 0) changes_->addItem(kSumoNothingChanges);
}

void SumoImportDialog::importNow() {
    if (!data_) return;
    SumoImportRequest r = request();
    SumoImportResult result = importSumoProgram(c_, *data_, r);
    if (!result.ok && result.targetNotEmpty) {
        const std::string question = result.error + kSumoReplaceQuestion;
        if (ui_.messageBox(kWarningTitle, question, Buttons::YesNo, Icon::Question) != Answer::Yes) return;
        r.replace = true;
        result = importSumoProgram(c_, *data_, r);
    }
    if (!result.ok && result.conflictingGreens) {
        const std::string question = result.error + kSumoForceQuestion;
        if (ui_.messageBox(kWarningTitle, question, Buttons::YesNo, Icon::Question) != Answer::Yes) return;
        r.force = true;
        result = importSumoProgram(c_, *data_, r);
    }
    if (!result.ok) {
        ui_.messageBox(kErrorTitle, kSumoImportFailedText + result.error, Buttons::Ok, Icon::Error);
        return;
    }
    importedProgram_ = r.program;
    importedTacts_ = result.tacts;
    notes_ = result.notes;
    accept();
}

}  // namespace livra::ui
