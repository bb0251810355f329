#pragma once
// One-line texts drawn as QPainter::drawText(rect, flags, text) draws them,
// each (font, text) laid out once. A report draws some 67 000 texts of which
// about 2 000 differ (tact numbers, times, direction names in every
// program), and laying a text out and shaping it costs more than writing its
// glyphs into the PDF.
#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QTextLayout>
#include <memory>
#include <unordered_map>
#include <vector>

namespace livra::diagram {

class TextCache {
public:
    // In the painter's font, pen and transform. Texts that drawText would
    // treat specially (line breaks, tabs, spaces at an end, wrapping or
    // other flags than alignment) are handed to drawText itself.
    void draw(QPainter& p, const QRectF& r, int flags, const QString& text);

    // Texts laid out so far, for tests.
    std::size_t size() const;

private:
    struct Laid {
        std::unique_ptr<QTextLayout> layout;
        double naturalWidth = 0, advance = 0, height = 0;
    };
    struct FontTexts {
        QFont font;
        Qt::LayoutDirection direction;
        std::unordered_map<QString, Laid> texts;
    };
    const Laid& laid(const QFont& font, Qt::LayoutDirection direction, const QString& text);

    std::vector<std::unique_ptr<FontTexts>> fonts_;
    std::size_t last_ = 0;
};

}  // namespace livra::diagram
