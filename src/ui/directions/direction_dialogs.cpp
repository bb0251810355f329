#include "ui/directions/direction_dialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>

#include "edit/directions_edit.h"
#include "pictures/pictures.h"
#include "ui/texts.h"

namespace livra::ui {

namespace {

constexpr Qt::WindowFlags kTitleBarOnly = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

QGroupBox* plainFrame(QWidget* parent, int x, int y, int w, int h) {
    auto* g = new QGroupBox(parent);
    g->setGeometry(x, y, w, h);
    g->setStyleSheet("QGroupBox { border: 1px solid rgb(170,170,170); border-radius: 2px; }");
    g->lower();
    return g;
}

QLabel* label(const QString& text, QWidget* parent, int x, int y, int w, int h) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    return l;
}

}  // namespace

void placeOnScreen(QWidget* dialog, QPoint corner) {
    QPoint at = corner;
    if (QScreen* s = dialog->screen()) {
        const QRect area = s->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - dialog->width())));
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - dialog->height())));
    }
    dialog->move(at);
}

DirectionsDialog::DirectionsDialog(QWidget* owner, Configuration& config, int direction)
    : QDialog(owner, kTitleBarOnly), c_(config), direction_(direction) {
    setObjectName("directionsDialog");
    setWindowTitle("Направления");
    setFixedSize(493, 165);
    plainFrame(this, 5, 0, 480, 135);
    struct KindDef {
        uint8_t kind;
        int bx, by, lx, ly;
    };
    const KindDef defs[] = {
        {DirVehicle, 20, 15, 85, 20},     {DirPedestrian, 20, 53, 85, 60}, {DirTram1, 20, 95, 85, 100},
        {DirExtraRed, 190, 15, 255, 20},  {DirExtraYellow, 190, 55, 260, 60}, {DirExtraGreen, 190, 93, 260, 100},
        {DirTvp1, 360, 15, 428, 20},      {DirTvp2, 360, 55, 428, 60},
    };
    const auto& pics = pictures::builtInPictures();
    for (const KindDef& k : defs) {
        auto* b = new QPushButton(this);
        b->setObjectName(QString("kindButton%1").arg(k.kind));
        b->setGeometry(k.bx, k.by, pictures::CellWidth, pictures::CellHeight);
        b->setIcon(QIcon(QPixmap::fromImage(pics.directionSymbol[k.kind])));
        b->setIconSize(QSize(pictures::CellWidth - 2, pictures::CellHeight - 2));
        b->setStyleSheet("QPushButton { border: 1px solid rgb(120,120,120); padding: 0px; }"
                         "QPushButton:pressed { border: 2px solid rgb(60,60,60); }");
        b->setToolTip(QString::fromUtf8(directionKindLabel(k.kind)).mid(3));
        // A tram needs three free rows, a call input exists once at most.
        const bool possible = canCreateDirection(c_, direction_, k.kind);
        auto* l = label(directionKindLabel(k.kind), this, k.lx, k.ly, k.kind >= DirTvp1 ? 52 : 100, 15);
        b->setEnabled(possible);
        b->setAutoDefault(false);  // Enter never creates a direction by itself
        l->setEnabled(possible);
        const uint8_t kind = k.kind;
        connect(b, &QPushButton::clicked, this, [this, kind] { choose(kind); });
        kinds_[k.kind] = {b, l};
    }
    cancel_ = new QPushButton(kCancelButton, this);
    cancel_->setObjectName("cancelButton");
    cancel_->setGeometry(400, 140, 80, 20);
    cancel_->setDefault(true);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

QPushButton* DirectionsDialog::kindButton(uint8_t kind) const {
    auto it = kinds_.find(kind);
    return it == kinds_.end() ? nullptr : it->second.first;
}

QLabel* DirectionsDialog::kindLabel(uint8_t kind) const {
    auto it = kinds_.find(kind);
    return it == kinds_.end() ? nullptr : it->second.second;
}

void DirectionsDialog::choose(uint8_t kind) {
    // A refused kind leaves the dialog open for another choice.
    if (createDirection(c_, direction_, kind)) accept();
}

ChannelDialog::ChannelDialog(QWidget* owner, Configuration& config, int direction, int slot)
    : QDialog(owner, kTitleBarOnly), c_(config), direction_(direction), slot_(slot) {
    setObjectName("channelDialog");
    setWindowTitle(QString("Напр.№%1  Ячейка №%2").arg(direction + 1).arg(slot + 1));
    setFixedSize(275, 116);
    plainFrame(this, 5, 5, 265, 80);
    label("Номер канала", this, 20, 20, 90, 15);
    channels_ = new QComboBox(this);
    channels_->setObjectName("channelList");
    channels_->setGeometry(20, 40, 90, 20);
    for (uint8_t ch : channelChoices(c_, direction, slot))
        channels_->addItem(ch == 0 ? QString("нет") : QString::number(ch), int(ch));
    channels_->setCurrentIndex(0);

    current_ = new QRadioButton("Контроль тока", this);
    current_->setObjectName("controlCurrent");
    current_->setGeometry(125, 20, 100, 15);
    voltage_ = new QRadioButton("Контроль напржения", this);
    voltage_->setObjectName("controlVoltage");
    voltage_->setGeometry(125, 40, 134, 15);
    off_ = new QRadioButton("Контроль выкл.", this);
    off_->setObjectName("controlOff");
    off_->setGeometry(125, 60, 134, 15);
    auto* group = new QButtonGroup(this);
    group->addButton(off_, ControlOff);
    group->addButton(voltage_, ControlVoltage);
    group->addButton(current_, ControlCurrent);

    const bool inTable = direction >= 0 && direction < DirectionCount && slot >= 0 && slot < SlotCount;
    const uint8_t kind = inTable ? c_.DirectionKind[direction] : uint8_t(DirEmpty);
    uint8_t mode = inTable ? c_.DirectionControl[direction][slot] : uint8_t(ControlOff);
    // Trams and call inputs are never monitored, whatever a file says.
    if (!allowsMonitoring(kind) || mode > ControlCurrent) mode = ControlOff;
    group->button(mode)->setChecked(true);
    current_->setEnabled(allowsMonitoring(kind));
    voltage_->setEnabled(allowsMonitoring(kind));

    ok_ = new QPushButton(kOkButton, this);
    ok_->setObjectName("okButton");
    ok_->setGeometry(130, 90, 60, 20);
    ok_->setDefault(true);
    cancel_ = new QPushButton(kCancelButton, this);
    cancel_->setObjectName("cancelButton");
    cancel_->setGeometry(205, 90, 60, 20);
    connect(ok_, &QPushButton::clicked, this, &ChannelDialog::apply);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void ChannelDialog::apply() {
    const uint8_t mode = current_->isChecked() ? ControlCurrent : voltage_->isChecked() ? ControlVoltage : ControlOff;
    const uint8_t channel = uint8_t(channels_->currentData().toInt());
    applyChannel(c_, direction_, slot_, channel, mode);
    accept();
}

}  // namespace livra::ui
