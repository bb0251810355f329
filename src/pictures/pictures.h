#pragma once
// The program's built-in pictures, drawn in code once at start at their
// exact sizes. Every table and dialog takes them from here by role.
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <array>

#include "edit/grid_geometry.h"

namespace livra::pictures {

using grid::CellHeight;
using grid::CellWidth;
using grid::SlotSize;
constexpr int AnimationFrameCount = 12;
constexpr int AnimationSize = 100;
constexpr int OutsideKind = 10;  // a row outside the direction table
constexpr int PlanPictureSize = 100;
enum HeadLight { HeadDark = 0, HeadRed = 1, HeadYellow = 2, HeadGreen = 3, HeadRedYellow = 4 };

// Colours the tables share with their pictures.
inline constexpr unsigned CanvasBackground = 0x3FECCD;  // turquoise RGB(63,236,205)
inline constexpr unsigned CellFrame = 0x20B2AA;         // RGB(32,178,170)
inline constexpr unsigned OutsideGrey = 0x999999;       // RGB(153,153,153)
inline constexpr unsigned NotApplicablePink = 0xFFC6C5; // RGB(255,198,197)
inline constexpr unsigned ErrorListYellow = 0xF6EF8C;   // RGB(246,239,140)
// The lit signal colours of the tact grid, also used by the timing diagrams.
inline constexpr unsigned SignalRedColour = 0xFF0000;     // RGB(255,0,0)
inline constexpr unsigned SignalYellowColour = 0xFFF200;  // RGB(255,242,0)
inline constexpr unsigned SignalGreenColour = 0x00FF00;   // RGB(0,255,0)
// Colour of a 0xRRGGBB constant above.
inline QColor colourOf(unsigned v) { return QColor((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF); }

struct BuiltInPictures {
    std::array<QImage, 10> signalCell;       // by signal code 0..9, 63 × 33
    std::array<QImage, 14> directionSymbol;  // by direction kind 0..13 (10 = outside), 63 × 33
    std::array<QImage, 3> modeCell;          // monitoring off, voltage, current, 33 × 33
    QImage notApplicableCell;                // 33 × 33
    QImage greyCell;                         // 33 × 33
    QImage directionsHeaderFirst;            // top row, column 0: 63 × 33
    std::array<QImage, 7> slotHeader;        // top row, one per output slot: 33 × 33
    std::array<QImage, AnimationFrameCount> animation;  // exchange window, 100 × 100
    QImage logo;                             // about box, 370 × 70
    QIcon appIcon;
    // Signal heads on the intersection plan, 100 × 100 on white (the
    // transparent colour), seen from above: pole, stem, head facing right.
    std::array<QImage, 5> vehicleHead;     // dark, red, yellow, green, red and yellow
    std::array<QImage, 3> pedestrianHead;  // dark, red, green
    std::array<QImage, 4> sectionHead;     // extra section: dark, red, yellow, green
    std::array<QImage, 9> tramHead;        // by tram lamp code 0..8
    // Small button icons of the simulator window.
    QImage runIcon, runPressedIcon, pauseIcon, pausePressedIcon, stopIcon;  // 20 × 20
    QImage stepIcon;                                                        // 32 × 20
    std::array<QImage, 2> callIdleIcon, callCalledIcon;                     // 20 × 20, inputs 1 and 2
};

// Draws every picture on the first call; needs a QGuiApplication.
const BuiltInPictures& builtInPictures();

// "Arial" at the tables' size 8, in pixels so that it does not depend on the
// screen's resolution.
QFont tableFont();

}  // namespace livra::pictures
