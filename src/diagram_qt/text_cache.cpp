#include "diagram_qt/text_cache.h"

#include <QTextLine>

namespace livra::diagram {
namespace {

// What drawText changes or lays out differently from one plain line.
bool plainLine(const QString& text) {
    if (text.front().isSpace() || text.back().isSpace()) return false;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == u'\n' || u == u'\r' || u == u'\t' || u == 0x9c || u == QChar::LineSeparator) return false;
    }
    return true;
}

// Kerning moves a text by a few per cent at most: a sum of advances clear of
// the width by more than that decides without shaping.
bool surelyFits(double estimate, double width) { return estimate * 1.03 + 2 <= width; }
bool surelyPast(double estimate, double width) { return estimate > width * 1.05 + 10; }
}  // namespace

QString TextFitter::operator()(const QString& text, double width) {
    double estimate = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        estimate += advance(text[i]);
        if (!surelyPast(estimate, width)) continue;
        qsizetype n = i + 1;
        if (text[n - 1].isHighSurrogate() && n < text.size()) ++n;
        const QString cut = text.left(n);
        const QString shown = elided(text, width, cut);
        if (shown != cut) return shown;
        break;  // the estimate was wrong after all: measure the whole text
    }
    if (surelyFits(estimate, width)) return text;
    return elided(text, width, text);
}

// `measured` elided, remembered under the whole text and the width.
QString TextFitter::elided(const QString& text, double width, const QString& measured) {
    auto& known = elided_[text];
    const bool whole = measured.size() == text.size();
    for (const auto& [w, shown] : known)
        if (w == width && (whole || shown != measured)) return shown;
    QString shown = fm_.elidedText(measured, Qt::ElideRight, width);
    // A cut that came out whole says nothing of the whole text: not kept.
    if (whole || shown != measured) known.emplace_back(width, shown);
    return shown;
}

bool TextFitter::fits(const QString& text, double width) {
    double estimate = 0;
    for (const QChar ch : text) estimate += advance(ch);
    if (surelyFits(estimate, width)) return true;
    if (surelyPast(estimate, width)) return false;
    return fm_.horizontalAdvance(text) <= width;
}

double TextFitter::width(const QString& text) {
    auto it = widths_.find(text);
    if (it == widths_.end()) it = widths_.emplace(text, fm_.horizontalAdvance(text)).first;
    return it->second;
}

double TextFitter::advance(QChar ch) {
    auto it = advances_.find(ch.unicode());
    if (it == advances_.end()) it = advances_.emplace(ch.unicode(), fm_.horizontalAdvance(ch)).first;
    return it->second;
}

const TextCache::Laid& TextCache::laid(const QFont& font, Qt::LayoutDirection direction, const QString& text) {
    auto same = [&](const FontTexts& f) { return f.direction == direction && f.font == font; };
    if (last_ >= fonts_.size() || !same(*fonts_[last_])) {
        last_ = 0;
        while (last_ < fonts_.size() && !same(*fonts_[last_])) ++last_;
        if (last_ == fonts_.size()) fonts_.push_back(std::make_unique<FontTexts>(FontTexts{font, direction, {}}));
    }
    auto& texts = fonts_[last_]->texts;
    if (auto it = texts.find(text); it != texts.end()) return it->second;
    Laid l;
    l.layout = std::make_unique<QTextLayout>(text, font);
    l.layout->setCacheEnabled(true);
    QTextOption option;
    option.setTextDirection(direction);
    option.setAlignment(Qt::AlignLeft);
    l.layout->setTextOption(option);
    l.layout->beginLayout();
    QTextLine line = l.layout->createLine();
    line.setLineWidth(0x01000000);
    line.setPosition(QPointF(0, 0));
    l.layout->endLayout();
    l.naturalWidth = line.naturalTextWidth();
    l.advance = line.horizontalAdvance();
    // drawText stacks lines by the engine's unrounded height, not by
    // QTextLine::height(), which rounds up.
    l.height = line.ascent() + line.descent();
    return texts.emplace(text, std::move(l)).first->second;
}

void TextCache::draw(QPainter& p, const QRectF& r, int flags, const QString& text) {
    constexpr int kAlignment = Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask;
    if (text.isEmpty() || p.pen().style() == Qt::NoPen) return;
    if ((flags & ~kAlignment) || (flags & (Qt::AlignJustify | Qt::AlignAbsolute)) ||
        p.layoutDirection() == Qt::RightToLeft || !plainLine(text)) {
        p.drawText(r, flags, text);
        return;
    }
    const Laid& t = laid(p.font(), p.layoutDirection(), text);
    double yoff = 0;
    if (flags & Qt::AlignBottom) yoff = r.height() - t.height;
    else if (flags & Qt::AlignVCenter) yoff = (r.height() - t.height) / 2;
    double boundsX = 0;
    if (flags & Qt::AlignRight) boundsX = r.width() - t.naturalWidth;
    else if (flags & Qt::AlignHCenter) boundsX = (r.width() - t.naturalWidth) / 2;
    const bool clip = !r.contains(QRectF(r.x() + boundsX, r.y() + yoff, t.naturalWidth, t.height));
    if (clip) {
        p.save();
        p.setClipRect(r, Qt::IntersectClip);
    }
    double xoff = 0;
    if (flags & Qt::AlignRight) xoff = r.width() - t.advance;
    else if (flags & Qt::AlignHCenter) xoff = (r.width() - t.advance) / 2;
    t.layout->lineAt(0).draw(&p, QPointF(r.x() + xoff, r.y() + yoff));
    if (clip) p.restore();
}

TextFitter& TextCache::fitter(const QFont& font) {
    for (auto& [f, fit] : fitters_)
        if (f == font) return *fit;
    return *fitters_.emplace_back(font, std::make_unique<TextFitter>(font)).second;
}

std::size_t TextCache::size() const {
    std::size_t n = 0;
    for (const auto& f : fonts_) n += f->texts.size();
    return n;
}

}  // namespace livra::diagram
