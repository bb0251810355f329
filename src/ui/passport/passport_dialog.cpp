#include "ui/passport/passport_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "model/object_file.h"
#include "report/program_sheet.h"
#include "ui/qt_dialogs.h"
#include "ui/texts.h"

namespace livra::ui {
namespace {

struct FieldOf {
    const char* label;
    std::string ObjectData::*member;
    const char* objectName;
};

constexpr FieldOf kFields[] = {
    {kObjectNameLabel, &ObjectData::name, "passportName"},
    {kObjectAddressLabel, &ObjectData::address, "passportAddress"},
    {kObjectOwnerLabel, &ObjectData::owner, "passportOwner"},
    {kObjectDesignerLabel, &ObjectData::designer, "passportDesigner"},
    {kObjectPreparedLabel, &ObjectData::prepared, "passportPrepared"},
    {kObjectCheckedLabel, &ObjectData::checked, "passportChecked"},
    {kObjectApprovedLabel, &ObjectData::approved, "passportApproved"},
    {kObjectRevisionLabel, &ObjectData::revision, "passportRevision"},
    {kObjectRevisionDateLabel, &ObjectData::revisionDate, "passportRevisionDate"},
    {kObjectModelLabel, &ObjectData::model, "passportModel"},
    {kObjectSerialLabel, &ObjectData::serial, "passportSerial"},
};

QString qs(const std::string& s) { return QString::fromStdString(s); }

QTableWidget* namesTable(QWidget* parent, const char* objectName, const char* numberTitle) {
    auto* t = new QTableWidget(parent);
    t->setObjectName(objectName);
    t->setColumnCount(2);
    t->setHorizontalHeaderLabels({numberTitle, kPassportNameColumn});
    t->horizontalHeader()->setStretchLastSection(true);
    t->verticalHeader()->hide();
    t->setColumnWidth(0, 140);
    return t;
}

void addRow(QTableWidget* t, const QString& number, const QString& name) {
    const int row = t->rowCount();
    t->insertRow(row);
    auto* n = new QTableWidgetItem(number);
    n->setFlags(Qt::ItemIsEnabled);
    t->setItem(row, 0, n);
    t->setItem(row, 1, new QTableWidgetItem(name));
}

}  // namespace

PassportDialog::PassportDialog(QWidget* owner, const Configuration& config)
    : QDialog(owner), config_(config), edited_(config.Safety.object) {
    setObjectName("passportDialog");
    setWindowTitle(kPassportTitle);
    resize(640, 560);
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("passportTabs");

    auto* object = new QWidget(tabs);
    auto* form = new QFormLayout(object);
    for (const FieldOf& f : kFields) {
        auto* edit = new QLineEdit(qs(edited_.*f.member), object);
        edit->setObjectName(f.objectName);
        edit->setMaxLength(int(kMaxObjectTextLength));
        if (f.member == &ObjectData::revisionDate) edit->setPlaceholderText(kPassportDatePlaceholder);
        form->addRow(f.label, edit);
        fields_.push_back(edit);
    }
    notes_ = new QPlainTextEdit(qs(edited_.notes), object);
    notes_->setObjectName("passportNotes");
    form->addRow(kObjectNotesLabel, notes_);
    tabs->addTab(object, kPassportObjectTab);

    directions_ = namesTable(tabs, "passportDirections", kPassportDirectionColumn);
    for (int d = 0; d < DirectionCount; ++d) {
        if (config.DirectionKind[d] == DirEmpty) continue;
        std::string kind = directionKindLabel(config.DirectionKind[d]);
        if (kind.rfind(" - ", 0) == 0) kind.erase(0, 3);
        addRow(directions_, qs(report::directionNumber(config, d) + " " + kind), qs(edited_.directionNames[d]));
        directionRows_.push_back(d);
    }
    tabs->addTab(directions_, kDirectionNamesLabel);
    programs_ = namesTable(tabs, "passportPrograms", kPassportProgramColumn);
    for (int p = 0; p < ProgramCount; ++p) addRow(programs_, qs(programTitle(p)), qs(edited_.programNames[p]));
    tabs->addTab(programs_, kProgramNamesLabel);

    problem_ = new QLabel(this);
    problem_->setObjectName("passportProblem");
    problem_->setStyleSheet("color: #b00000");
    auto* ok = new QPushButton(kOkButton, this);
    ok->setObjectName("okButton");
    auto* cancel = new QPushButton(kCancelButton, this);
    cancel->setObjectName("cancelButton");
    connect(ok, &QPushButton::clicked, this, &PassportDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    bindDialogKeys(this, ok, cancel);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(problem_, 1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
}

void PassportDialog::accept() {
    ObjectData o = config_.Safety.object;
    auto refuse = [&](const char* label, const std::string& why) {
        problem_->setText(QString::fromUtf8(label) + ": " + qs(why));
        return;
    };
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const std::string text = fields_[i]->text().trimmed().toStdString();
        if (const std::string why = objectTextProblem(text, kMaxObjectTextLength, false); !why.empty())
            return refuse(kFields[i].label, why);
        if (kFields[i].member == &ObjectData::revisionDate && !isRevisionDate(text))
            return refuse(kFields[i].label, kRevisionDateProblem);
        o.*kFields[i].member = text;
    }
    const std::string notes = notes_->toPlainText().toStdString();
    if (const std::string why = objectTextProblem(notes, kMaxObjectTextLength, true); !why.empty())
        return refuse(kObjectNotesLabel, why);
    o.notes = notes;
    auto names = [&](QTableWidget* t, auto& out, auto indexOf) -> bool {
        for (int row = 0; row < t->rowCount(); ++row) {
            const std::string name = t->item(row, 1) ? t->item(row, 1)->text().trimmed().toStdString() : "";
            if (const std::string why = objectTextProblem(name, kMaxObjectNameLength, false); !why.empty()) {
                problem_->setText(t->item(row, 0)->text() + " " + QString::fromUtf8(kPassportNameColumn) + ": " + qs(why));
                return false;
            }
            out[indexOf(row)] = name;
        }
        return true;
    };
    if (!names(directions_, o.directionNames, [&](int row) { return directionRows_[row]; })) return;
    if (!names(programs_, o.programNames, [](int row) { return row; })) return;
    edited_ = std::move(o);
    QDialog::accept();
}

}  // namespace livra::ui
