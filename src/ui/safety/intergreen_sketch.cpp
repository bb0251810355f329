#include "ui/safety/intergreen_sketch.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace livra::ui {
namespace {

// A dimension line with arrow heads at both ends and its name beside it.
void dimension(QPainter& p, QPointF a, QPointF b, const QString& name, QPointF at) {
    p.drawLine(a, b);
    const QLineF line(a, b);
    for (const auto& [tip, from] : {std::pair{a, b}, std::pair{b, a}}) {
        QLineF back(tip, from);
        back.setLength(6);
        QLineF l = back, r = back;
        l.setAngle(back.angle() + 25);
        r.setAngle(back.angle() - 25);
        p.drawLine(l);
        p.drawLine(r);
    }
    p.drawText(at, name);
}

}  // namespace

QLabel* intergreenSketch(QWidget* parent) {
    const int w = 250, h = 200;
    QPixmap pic(w, h);
    pic.fill(Qt::white);
    QPainter p(&pic);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f = p.font();
    f.setPixelSize(11);
    p.setFont(f);
    // The clearing road runs left to right, the entering one bottom to top.
    const QColor road(215, 215, 215);
    p.fillRect(0, 80, w, 44, road);
    p.fillRect(150, 0, 44, h, road);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(40, 102, 40, 124);      // clearing stop line
    p.drawLine(172, 180, 194, 180);    // entering stop line
    // The last clearing vehicle, just past its stop line, and the conflict point.
    p.setBrush(QColor(70, 110, 200));
    p.drawRect(QRectF(44, 106, 30, 14));
    const QPointF conflict(183, 113);
    p.setBrush(QColor(220, 0, 0));
    p.setPen(Qt::NoPen);
    p.drawEllipse(conflict, 5, 5);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    dimension(p, {40, 140}, {conflict.x(), 140}, "s₀ — до точки конфликта", {44, 155});
    dimension(p, {44, 96}, {74, 96}, "l", {55, 92});
    dimension(p, {205, 180}, {205, conflict.y()}, "s_e", {210, 150});
    p.drawText(QPointF(4, 76), "освобождает (v_r, t_ü)");
    p.drawText(QPointF(120, 196), "въезжает (v_e)");
    p.drawText(QPointF(conflict.x() + 8, conflict.y() - 8), "×");
    p.end();
    auto* label = new QLabel(parent);
    label->setObjectName("intergreenSketch");
    label->setPixmap(pic);
    label->setFixedSize(w, h);
    return label;
}

}  // namespace livra::ui
