#pragma once
// A button that is exactly one built-in picture, with a thin outline while
// the mouse is over it or it has the focus.
#include <QAbstractButton>
#include <QImage>

namespace livra::ui {

class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(const QImage& picture, QWidget* parent);
    QSize sizeHint() const override { return picture_.size(); }
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override { hover_ = true; update(); }
    void leaveEvent(QEvent*) override { hover_ = false; update(); }

private:
    QImage picture_;
    bool hover_ = false;
};

}  // namespace livra::ui
