#pragma once
// Draws the laid-out diagram with QPainter, so the screen, PNG,
// SVG and PDF all come from the same code. Needs a QGuiApplication.
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <string>
#include <unordered_map>

#include "diagram/diagram_layout.h"
#include "diagram_qt/text_cache.h"

namespace livra::diagram {

// Liberation Sans at a pixel size: it carries Cyrillic and embeds in PDF.
QFont diagramFont(double pixelSize, bool bold = false);

// Texts cut with "…" to a width in one font, as QFontMetricsF::elidedText
// cuts them. Eliding shapes the whole text, and a report's table cell may
// hold a list of sixty directions of which a few words show: the glyph
// advances, looked up once each, tell where the text is surely past the
// width, and only that much is elided (the same result); a text surely
// narrower is not measured at all.
class TextFitter {
public:
    explicit TextFitter(const QFont& font) : fm_(font) {}
    QString operator()(const QString& text, double width);
    // Whether the whole text is no wider than `width`, measured only when
    // the advances leave it in doubt.
    bool fits(const QString& text, double width);

private:
    double advance(QChar ch);

    QFontMetricsF fm_;
    std::unordered_map<char16_t, double> advances_;
};

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
