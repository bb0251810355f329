#include "ui/tacts/picture_button.h"

#include <QPainter>

namespace livra::ui {

PictureButton::PictureButton(const QImage& picture, QWidget* parent) : QAbstractButton(parent), picture_(picture) {
    setFixedSize(picture_.size());
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(isDown() ? QPoint(1, 1) : QPoint(0, 0), picture_);
    if (hover_ || hasFocus() || isDown()) {
        p.setPen(QPen(QColor(0, 0, 0), 1, hasFocus() && !hover_ ? Qt::DotLine : Qt::SolidLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

}  // namespace livra::ui
