#include "ui/widget_helpers.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include "ui/canvas_view.h"

namespace livra::ui {

QLabel* placeLabel(const QString& text, QWidget* parent, int x, int y, int w, int h) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    return l;
}

QPushButton* placeButton(const QString& text, QWidget* parent, int x, int y, int w, int h, const char* name) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(x, y, w, h);
    return b;
}

QGroupBox* placeFrame(const QString& title, QWidget* parent, int x, int y, int w, int h) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName("frame");
    g->setGeometry(x, y, w, h);
    // The title sits on the top line, not above it: the controls placed
    // just under a frame's top keep their room.
    g->setStyleSheet("QGroupBox#frame { border: 1px solid rgb(170,170,170); border-radius: 2px; margin-top: 7px; }"
                     "QGroupBox#frame::title { subcontrol-origin: margin; subcontrol-position: top left;"
                     " left: 8px; top: 0px; padding: 0px 3px; }");
    g->lower();
    return g;
}

CanvasView* placeCanvas(QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* canvas = new CanvasView(parent);
    canvas->setObjectName(name);
    canvas->setGeometry(x, y, w, h);
    return canvas;
}

QScrollBar* placeScrollBar(Qt::Orientation orientation, QWidget* parent, const char* name, int x, int y, int w, int h,
                           int count, int page) {
    auto* bar = new QScrollBar(orientation, parent);
    bar->setObjectName(name);
    bar->setGeometry(x, y, w, h);
    bar->setRange(0, count - 1);
    bar->setPageStep(page);
    return bar;
}

void GrowingForm::add(QWidget* w, int anchors) {
    if (w) items_.push_back({w, w->geometry(), anchors});
}

void GrowingForm::apply(int dx, int dy) const {
    dx = dx < 0 ? 0 : dx;
    dy = dy < 0 ? 0 : dy;
    for (const Item& i : items_) {
        QRect r = i.base;
        if (i.anchors & MoveX) r.translate(dx, 0);
        if (i.anchors & MoveY) r.translate(0, dy);
        if (i.anchors & GrowX) r.setWidth(r.width() + dx);
        if (i.anchors & GrowY) r.setHeight(r.height() + dy);
        i.widget->setGeometry(r);
    }
}

}  // namespace livra::ui
