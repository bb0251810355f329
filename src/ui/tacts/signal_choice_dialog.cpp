#include "ui/tacts/signal_choice_dialog.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include "pictures/pictures.h"
#include "ui/tacts/picture_button.h"
#include "ui/texts.h"

namespace livra::ui {

namespace {

struct VariantLayout {
    QSize window;
    QRect frame;
    int buttonsY;
    QPoint cancel;
    QPoint fromMouse;  // window corner = mouse - fromMouse
};

VariantLayout layoutOf(SignalVariant v) {
    switch (v) {
    case SignalVariant::A: return {{441, 96}, {5, 5, 431, 60}, 20, {365, 70}, {156, 48}};
    case SignalVariant::C:
    case SignalVariant::E:
    case SignalVariant::F: return {{231, 92}, {5, 0, 222, 60}, 15, {155, 65}, {115, 46}};
    case SignalVariant::G: return {{161, 92}, {5, 0, 152, 60}, 15, {85, 65}, {80, 46}};
    default: return {{161, 96}, {5, 5, 150, 60}, 20, {80, 70}, {80, 48}};  // B, D
    }
}

}  // namespace

QPoint placeOnScreen(QPoint corner, QSize size, QPoint mouseGlobal) {
    QScreen* screen = QGuiApplication::screenAt(mouseGlobal);
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return corner;
    const QRect area = screen->availableGeometry();
    const int x = std::max(area.left(), std::min(corner.x(), area.right() + 1 - size.width()));
    const int y = std::max(area.top(), std::min(corner.y(), area.bottom() + 1 - size.height()));
    return {x, y};
}

QString SignalChoiceDialog::title(int direction, int tact) {
    return QString("Напр.№%1  Такт№%2").arg(direction + 1).arg(tact + 1);
}

SignalChoiceDialog::SignalChoiceDialog(QWidget* owner, SignalVariant variant, int direction, int tact,
                                       QPoint mouseGlobal)
    : QDialog(owner), variant_(variant) {
    setObjectName("signalChoiceDialog");
    // A title bar only: the dialog is left by a picture or by "Отмена".
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(title(direction, tact));
    const VariantLayout l = layoutOf(variant);
    setFixedSize(l.window);
    auto* frame = new QGroupBox(this);
    frame->setObjectName("signalFrame");
    frame->setGeometry(l.frame);
    frame->setStyleSheet("QGroupBox#signalFrame { border: 1px solid rgb(170,170,170); border-radius: 2px; }");

    const auto& cells = pictures::builtInPictures().signalCell;
    int x = 15;
    for (uint8_t code : variantSignals(variant)) {
        auto* b = new PictureButton(cells[code], this);
        b->setObjectName(QString("signal_%1").arg(code));
        b->move(x, l.buttonsY);
        connect(b, &QAbstractButton::clicked, this, [this, code] {
            chosen_ = code;
            accept();
        });
        buttons_.push_back(b);
        x += 70;
    }
    cancel_ = new QPushButton(kCancelButton, this);
    cancel_->setObjectName("signalCancel");
    cancel_->setGeometry(l.cancel.x(), l.cancel.y(), 65, 20);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    move(placeOnScreen(mouseGlobal - l.fromMouse, frameGeometry().size().expandedTo(l.window), mouseGlobal));
}

}  // namespace livra::ui
