#include "ui/canvas_view.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

namespace livra::ui {

void CanvasView::setImage(const QImage& image) {
    image_ = image;
    update();
}

bool CanvasView::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip && toolTipAt) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QString text = toolTipAt(help->pos());
        if (text.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    if (e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        for (const QKeySequence::StandardKey k : standardKeys_) {
            if (!key->matches(k)) continue;
            e->accept();
            if (e->type() == QEvent::KeyPress) emit standardKey(k);
            return true;
        }
    }
    return QWidget::event(e);
}

void CanvasView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

void CanvasView::mousePressEvent(QMouseEvent* e) {
    emit clicked(e->position().toPoint(), e->button(), e->modifiers());
}

void CanvasView::mouseMoveEvent(QMouseEvent* e) {
    if (e->buttons() & Qt::LeftButton) emit dragged(e->position().toPoint());
}

void CanvasView::mouseReleaseEvent(QMouseEvent* e) { emit released(e->position().toPoint(), e->button()); }

void CanvasView::setWheelScrollBars(QScrollBar* vertical, QScrollBar* horizontal) {
    vertical_ = vertical;
    horizontal_ = horizontal;
}

void CanvasView::wheelEvent(QWheelEvent* e) {
    QPoint delta = e->angleDelta();
    if (e->inverted()) delta = -delta;
    // Shift turns the wheel sideways, as in the usual table views; a picture
    // with one scroll bar takes any wheel on it.
    if (e->modifiers() & Qt::ShiftModifier) delta = QPoint(delta.y() ? delta.y() : delta.x(), 0);
    if (!horizontal_) delta = QPoint(0, delta.y() ? delta.y() : delta.x());
    if (!vertical_) delta = QPoint(delta.x() ? delta.x() : delta.y(), 0);
    const int lines = QApplication::wheelScrollLines();
    auto scroll = [lines](QScrollBar* bar, int d, int& rest) {
        if (!bar || d == 0) return;
        rest += d;
        const int notches = rest / QWheelEvent::DefaultDeltasPerStep;
        rest -= notches * QWheelEvent::DefaultDeltasPerStep;
        // Wheel away from the user shows earlier rows and tacts.
        bar->setValue(bar->value() - notches * lines * bar->singleStep());
    };
    scroll(vertical_, delta.y(), verticalRest_);
    scroll(horizontal_, delta.x(), horizontalRest_);
    e->accept();
}

}  // namespace livra::ui
