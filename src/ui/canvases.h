#pragma once
// The two table pictures of the main window, drawn off-screen from the model.
// Each routine paints a whole QImage; the window then shows it in one step.
#include <QImage>

#include "check/safety_check.h"
#include "model/configuration.h"

namespace livra::ui {

constexpr int TactCanvasWidth = 825;
constexpr int TactCanvasHeight = 395;
constexpr int DirectionsCanvasWidth = 294;
constexpr int DirectionsCanvasHeight = 395;
constexpr int HeaderBandHeight = 99;  // three cell rows that never scroll

QImage makeTactCanvas();
QImage makeDirectionsCanvas();

// Grid background, header captions and lines, and the signal cells of
// CurrentProgram from (firstTact, firstDirection). Marks the call-input cells
// of every program first (they are stored), so the picture never shows a
// stale mark. Codes no table knows are drawn grey, like cells off the table.
void drawTactGrid(QImage& canvas, Configuration& c, int firstTact, int firstDirection);
void drawDirectionColumn(QImage& canvas, const Configuration& c, int firstDirection);

// The texts of the header band's tact columns and the column edges; brings
// tEnd and phaseNo of CurrentProgram up to date first.
void drawTactHeader(QImage& canvas, Configuration& c, int firstTact);

// The whole directions picture; sets every slot that its row's kind does not
// use back to channel 0.
void drawDirectionsPicture(QImage& canvas, Configuration& c, int firstDirection);

// A red frame on the header cell of every shown tact of `program` that a
// safety finding names.
void drawSafetyMarks(QImage& canvas, const SafetyReport& report, int program, int firstTact);
// The findings of the tact under a point of the header band, one a line.
QString safetyMarkToolTip(const SafetyReport& report, int program, int firstTact, QPoint pos);

// True when output slot s is wired for a direction of this kind.
bool slotApplicable(uint8_t kind, int slot);

// "7" or, for a tram row, "7.2": number and tram ordinal.
QString directionLabel(const Configuration& c, int direction);

}  // namespace livra::ui
