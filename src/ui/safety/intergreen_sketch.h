#pragma once
// The calculator's small sketch: which distance each input is, on a plain
// crossing of the clearing and the entering direction.
class QLabel;
class QWidget;

namespace livra::ui {

// A label named "intergreenSketch" holding the picture.
QLabel* intergreenSketch(QWidget* parent);

}  // namespace livra::ui
