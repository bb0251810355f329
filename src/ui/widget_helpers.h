#pragma once
// Small builders for the fixed-geometry forms of the main window's tabs.
#include <QString>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace livra::ui {

QLabel* placeLabel(const QString& text, QWidget* parent, int x, int y, int w = 110, int h = 15);
QPushButton* placeButton(const QString& text, QWidget* parent, int x, int y, int w, int h, const char* name);
// A titled frame drawn behind the controls placed on it.
QGroupBox* placeFrame(const QString& title, QWidget* parent, int x, int y, int w, int h);

}  // namespace livra::ui
