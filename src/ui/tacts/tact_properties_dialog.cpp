#include "ui/tacts/tact_properties_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "edit/tact_clipboard.h"
#include "edit/tact_edit.h"
#include "ui/tacts/signal_choice_dialog.h"
#include "ui/texts.h"

namespace livra::ui {

namespace {

QLabel* labelAt(const QString& text, QWidget* parent, int x, int y, int w, int h) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    return l;
}

QLineEdit* timeField(int value, QWidget* parent, int x, const char* name) {
    auto* f = new QLineEdit(QString::number(value), parent);
    f->setObjectName(name);
    f->setGeometry(x, 35, 55, 20);
    f->setMaxLength(TimeFieldDigits);
    f->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QString("[0-9]{0,%1}").arg(TimeFieldDigits)), f));
    return f;
}

}  // namespace

QString TactPropertiesDialog::title(int tact) {
    // The letter before № is a Latin "a", as the title has always read.
    return QString("Свойства такт") + QChar('a') + "№" + QString::number(tact + 1);
}

TactPropertiesDialog::TactPropertiesDialog(QWidget* owner, Configuration& c, UserDialogs& ui, int program, int tact,
                                           QPoint mouseGlobal)
    : QDialog(owner), c_(c), ui_(ui), program_(program), tact_(tact) {
    setObjectName("tactPropertiesDialog");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(title(tact));
    setFixedSize(260, 97);
    const Tact& t = c.TactTable[program][tact];

    auto* frame = new QGroupBox(this);
    frame->setObjectName("tactFrame");
    frame->setGeometry(5, 0, 250, 65);
    frame->setStyleSheet("QGroupBox#tactFrame { border: 1px solid rgb(170,170,170); border-radius: 2px; }");

    labelAt("Вид такта", this, 15, 15, 57, 15);
    kind_ = new QComboBox(this);
    kind_->setObjectName("tactKind");
    kind_->setGeometry(15, 35, 100, 20);
    kind_->addItems({"Фаза", "Промтакт", "ТВП1", "ТВП2"});
    // The tact's own kind; an empty tact starts as the kind that usually
    // follows the one before it (a phase after an intermediate tact, an
    // intermediate tact after a phase); a kind from a damaged file selects nothing.
    kind_->setCurrentIndex(t.kind >= TactPhase && t.kind <= TactTvp2 ? t.kind - 1
                           : t.kind == TactEmpty                     ? suggestedTactKind(c, program, tact) - 1
                                                                     : -1);
    minLabel_ = labelAt("Т мин", this, 125, 15, 55, 15);
    min_ = timeField(t.tMin, this, 125, "tactMin");
    labelAt("Т осн", this, 190, 15, 42, 15);
    main_ = timeField(t.tMain, this, 190, "tactMain");

    ok_ = new QPushButton(kOkButton, this);
    ok_->setObjectName("tactOk");
    ok_->setGeometry(85, 70, 75, 20);
    ok_->setDefault(true);
    cancel_ = new QPushButton(kCancelButton, this);
    cancel_->setObjectName("tactCancel");
    cancel_->setGeometry(180, 70, 75, 20);

    kindChanged();
    connect(kind_, &QComboBox::currentIndexChanged, this, &TactPropertiesDialog::kindChanged);
    connect(ok_, &QPushButton::clicked, this, &TactPropertiesDialog::confirm);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    move(placeOnScreen(mouseGlobal - QPoint(130, 47), size(), mouseGlobal));
}

void TactPropertiesDialog::kindChanged() {
    // "Т мин" means something for a phase only.
    const bool phase = kind_->currentIndex() == 0;
    minLabel_->setEnabled(phase);
    min_->setEnabled(phase);
}

void TactPropertiesDialog::confirm() {
    const TactPropertiesInput in{kind_->currentIndex(), min_->text().toStdString(), main_->text().toStdString()};
    const TactPropertiesResult r = applyTactProperties(c_, program_, tact_, in);
    for (const std::string& m : r.messages) ui_.messageBox(kErrorSpacedMarkTitle, m, Buttons::Ok, Icon::Exclamation);
    if (r.stored) accept();
}

}  // namespace livra::ui
