#pragma once
// Small builders for the fixed-geometry forms of the main window's tabs.
#include <QRect>
#include <QString>
#include <Qt>
#include <vector>

class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QWidget;

namespace livra::ui {

QLabel* placeLabel(const QString& text, QWidget* parent, int x, int y, int w = 110, int h = 15);
QPushButton* placeButton(const QString& text, QWidget* parent, int x, int y, int w, int h, const char* name);
// A titled frame drawn behind the controls placed on it.
QGroupBox* placeFrame(const QString& title, QWidget* parent, int x, int y, int w, int h);

class CanvasView;
// A table picture of a tab, `w` × `h` at (x, y); the tab draws into it.
CanvasView* placeCanvas(QWidget* parent, const char* name, int x, int y, int w, int h);
// A scroll bar over `count` rows or columns, `page` of them in view, starting
// at the first.
QScrollBar* placeScrollBar(Qt::Orientation orientation, QWidget* parent, const char* name, int x, int y, int w, int h,
                           int count, int page);

// How the fixed forms grow with their window: each control keeps its place
// and size at the smallest size and, for every pixel the window is larger,
// moves or grows along the edges it is tied to. At the smallest size nothing
// moves at all.
enum Anchor { Fixed = 0, MoveX = 1, MoveY = 2, GrowX = 4, GrowY = 8 };
class GrowingForm {
public:
    // Takes the control's present geometry as its place at the smallest size.
    void add(QWidget* w, int anchors);
    // The window is this much wider and taller than its smallest size.
    void apply(int dx, int dy) const;

private:
    struct Item {
        QWidget* widget;
        QRect base;
        int anchors;
    };
    std::vector<Item> items_;
};

}  // namespace livra::ui
