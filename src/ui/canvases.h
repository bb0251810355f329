#pragma once
// The two table pictures of the main window, drawn off-screen from the model.
// Each routine paints a whole QImage; the window then shows it in one step.
#include <QImage>

#include "check/safety_check.h"
#include "edit/grid_geometry.h"
#include "edit/tact_clipboard.h"
#include "model/configuration.h"

namespace livra::ui {

// They only read the configuration: what they show is settled where the
// tables change (settleTables).

// At the window's smallest size the pictures are as large as the geometry
// says; a larger window gives them more rows and columns.
QImage makeTactCanvas(int width = grid::TactGridWidth, int height = grid::TactGridHeight);
QImage makeDirectionsCanvas(int height = grid::DirectionsHeight);

// Grid background, header captions and lines, and the signal cells of
// CurrentProgram from (firstTact, firstDirection). Codes no table knows are
// drawn grey, like cells off the table.
void drawTactGrid(QImage& canvas, const Configuration& c, int firstTact, int firstDirection);
void drawDirectionColumn(QImage& canvas, const Configuration& c, int firstDirection);

// The texts of the header band's tact columns and the column edges.
void drawTactHeader(QImage& canvas, const Configuration& c, int firstTact);

// The whole directions picture; a slot its row's kind does not use is drawn
// as not applicable, without a channel.
void drawDirectionsPicture(QImage& canvas, const Configuration& c, int firstDirection);

// A red frame on the header cell of every shown tact of `program` that a
// safety finding names.
void drawSafetyMarks(QImage& canvas, const SafetyReport& report, int program, int firstTact);
// The findings of the tact under a point of the header band, one a line.
QString safetyMarkToolTip(const SafetyReport& report, int program, int firstTact, QPoint pos);

// The selected cells and tacts in view: a blue veil and frame.
void drawSelection(QImage& canvas, const GridSelection& selection, int firstTact, int firstDirection);

// "7" or, for a tram row, "7.2": number and tram ordinal.
QString directionLabel(const Configuration& c, int direction);

}  // namespace livra::ui
