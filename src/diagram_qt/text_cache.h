#pragma once
// One-line texts drawn as QPainter::drawText(rect, flags, text) draws them,
// each (font, text) laid out once. A report draws some 67 000 texts of which
// about 2 000 differ (tact numbers, times, direction names in every
// program), and laying a text out and shaping it costs more than writing its
// glyphs into the PDF.
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QTextLayout>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace livra::diagram {

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
    // QFontMetricsF::horizontalAdvance, measured once a text.
    double width(const QString& text);

private:
    double advance(QChar ch);
    QString elided(const QString& text, double width, const QString& measured);

    QFontMetricsF fm_;
    std::unordered_map<char16_t, double> advances_;
    std::unordered_map<QString, double> widths_;
    // Texts that had to be elided: a report elides the same long lists at
    // the same widths on page after page.
    std::unordered_map<QString, std::vector<std::pair<double, QString>>> elided_;
};

class TextCache {
public:
    // In the painter's font, pen and transform. Texts that drawText would
    // treat specially (line breaks, tabs, spaces at an end, wrapping or
    // other flags than alignment) are handed to drawText itself.
    void draw(QPainter& p, const QRectF& r, int flags, const QString& text);

    // The fitter of a font, kept with its measures for the whole painting.
    TextFitter& fitter(const QFont& font);

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
    std::vector<std::pair<QFont, std::unique_ptr<TextFitter>>> fitters_;
    std::size_t last_ = 0;
};

}  // namespace livra::diagram
