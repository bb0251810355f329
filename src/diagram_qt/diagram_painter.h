#pragma once
// Draws the laid-out diagram with QPainter, so the screen, PNG,
// SVG and PDF all come from the same code. Needs a QGuiApplication.
#include <QFont>
#include <QPainter>
#include <string>

#include "diagram/diagram_layout.h"
#include "diagram_qt/text_cache.h"

namespace livra::diagram {

// Liberation Sans at a pixel size: it carries Cyrillic and embeds in PDF.
QFont diagramFont(double pixelSize, bool bold = false);

// The fill of one signal in a rectangle: flat colours as in the tact grid,
// the flashing signals as bars and red-yellow as two halves, so they read on
// a black-and-white print too.
void paintSignal(QPainter& p, const QRectF& r, uint8_t signal);

// Bands [first, last) of a diagram with its top left at `origin`; the title
// and the legend when asked.
void paintDiagramPart(QPainter& p, const DiagramLayout& d, int first, int last, bool title, bool legend,
                      QPointF origin, TextCache* text = nullptr);
void paintDiagram(QPainter& p, const DiagramLayout& d, QPointF origin = {});

}  // namespace livra::diagram
