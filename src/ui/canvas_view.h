#pragma once
// A picture control: shows the last assigned image and reports clicks in
// picture-local coordinates; the wheel over it moves the scroll bars that
// go with it.
#include <QImage>
#include <QKeySequence>
#include <QList>
#include <QWidget>
#include <functional>

class QScrollBar;

namespace livra::ui {

class CanvasView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    void setImage(const QImage& image);
    const QImage& image() const { return image_; }
    // The scroll bars that the wheel over the picture moves: the wheel the
    // vertical one, Shift+wheel or a sideways wheel the horizontal one.
    void setWheelScrollBars(QScrollBar* vertical, QScrollBar* horizontal);
    // The tooltip for a point of the picture; empty for none.
    std::function<QString(QPoint)> toolTipAt;
    // The standard keys (copy, cut, paste) the picture answers itself while
    // it has the focus, ahead of any shortcut of the window.
    void setStandardKeys(QList<QKeySequence::StandardKey> keys) { standardKeys_ = std::move(keys); }

signals:
    // A button pressed, with the keys held (Ctrl, Shift).
    void clicked(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers keys);
    // The pointer moved with the left button held; the button let go.
    void dragged(QPoint pos);
    void released(QPoint pos, Qt::MouseButton button);
    // One of the standard keys pressed.
    void standardKey(QKeySequence::StandardKey key);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    QImage image_;
    QList<QKeySequence::StandardKey> standardKeys_;
    QScrollBar* vertical_ = nullptr;
    QScrollBar* horizontal_ = nullptr;
    int verticalRest_ = 0, horizontalRest_ = 0;  // parts of a notch from a touchpad
};

}  // namespace livra::ui
