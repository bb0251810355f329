#pragma once
// Small builders for the fixed-geometry forms of the main window's tabs.
#include <QString>
#include <Qt>

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

}  // namespace livra::ui
