#include "diagram_qt/diagram_painter.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

#include "pictures/pictures.h"

namespace livra::diagram {
namespace {

const QColor kRed = pictures::colourOf(pictures::SignalRedColour);
const QColor kYellow = pictures::colourOf(pictures::SignalYellowColour);
const QColor kGreen = pictures::colourOf(pictures::SignalGreenColour);
const QColor kPink = pictures::colourOf(pictures::NotApplicablePink);
const QColor kOutline(80, 80, 80);
const QColor kPhaseColour(170, 0, 0);
const QColor kCallColour(0, 128, 0);
const QColor kMuted(95, 95, 95);

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The first text of the list that fits the width; empty when none does.
QString fitting(TextFitter& fit, double width, std::initializer_list<QString> variants) {
    for (const QString& v : variants)
        if (fit.fits(v, width - 4)) return v;
    return {};
}

// The kind symbol of the tact grid without its turquoise cell, so it sits on
// paper: the right part of the 63 × 33 picture, background made transparent.
QImage rowSymbol(uint8_t kind) {
    const QImage& cell = pictures::builtInPictures().directionSymbol[kind < 14 ? kind : 0];
    QImage img = cell.copy(27, 0, pictures::CellWidth - 27, pictures::CellHeight)
                     .convertToFormat(QImage::Format_ARGB32);
    const QRgb bg = qRgb((pictures::CanvasBackground >> 16) & 0xFF, (pictures::CanvasBackground >> 8) & 0xFF,
                         pictures::CanvasBackground & 0xFF);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (bg & 0xFFFFFF)) line[x] = 0;
    }
    return img;
}

QString tactKindShort(int32_t kind) {
    switch (kind) {
    case TactPhase: return "Ф";
    case TactIntermediate: return "ПРОМ";
    case TactTvp1: return "ТВП1";
    case TactTvp2: return "ТВП2";
    default: return {};
    }
}

const char* legendText(int item) {
    if (item >= 0 && item <= 255)
        if (const char* name = signalName(uint8_t(item))) return name;
    switch (item) {
    case SignalNotApplicable: return "вход ТВП не опрашивается";
    case LegendPhaseStart: return "начало фазы";
    case LegendCallTact: return "такт ТВП (по вызову)";
    default: return "сигнал не задан";
    }
}

void paintLegend(QPainter& p, TextCache& tc, const DiagramLayout& d, QPointF at) {
    const Geometry& g = d.geometry;
    p.setFont(diagramFont(10));
    const double lineH = g.legendLineHeight, sw = 26, sh = 11;
    for (std::size_t i = 0; i < d.legendItems.size(); ++i) {
        const int item = d.legendItems[i];
        const double x = at.x() + double(i % d.legendColumns) * g.legendColumnWidth;
        const double y = at.y() + 6 + double(i / d.legendColumns) * lineH;
        const QRectF sr(x, y + (lineH - sh) / 2, sw, sh);
        if (item >= 0) {
            paintSignal(p, sr, uint8_t(item));
            p.setPen(QPen(kOutline, 0.6));
            p.setBrush(Qt::NoBrush);
            p.drawRect(sr);
        } else if (item == LegendPhaseStart) {
            p.setPen(QPen(kPhaseColour, 1.6));
            p.drawLine(QPointF(sr.center().x(), sr.top() - 2), QPointF(sr.center().x(), sr.bottom() + 2));
        } else {
            p.setPen(QPen(kCallColour, 1.2, Qt::DashLine));
            p.setBrush(QColor(225, 245, 225));
            p.drawRect(sr);
        }
        p.setPen(Qt::black);
        tc.draw(p, QRectF(x + sw + 5, y, g.legendColumnWidth - sw - 5, lineH), Qt::AlignVCenter | Qt::AlignLeft,
                   legendText(item));
    }
}

// Signal fills gathered by colour and painted in a few calls: a diagram of
// thousands of cells, painted one by one, switches the painter's state for
// each, and the PDF page grows tenfold with it.
class SignalCells {
public:
    void add(const QRectF& r, uint8_t signal) {
        switch (signal) {
        case SignalRed: fill(kRed).append(r); return;
        case SignalYellow: fill(kYellow).append(r); return;
        case SignalGreen: fill(kGreen).append(r); return;
        case SignalNotApplicable: fill(kPink).append(r); return;
        case SignalRedYellow:
            fill(kRed).append(QRectF(r.left(), r.top(), r.width(), r.height() / 2));
            fill(kYellow).append(QRectF(r.left(), r.top() + r.height() / 2, r.width(), r.height() / 2));
            return;
        case SignalFlashingYellow:
        case SignalFlashingGreen: {
            fill(Qt::white).append(r);
            auto& bars = signal == SignalFlashingYellow ? yellowBars_ : greenBars_;
            for (double x = r.left() + 1.5; x < r.right(); x += 7)
                bars.append(QRectF(x, r.top() + 2, std::min(3.5, r.right() - x), r.height() - 4));
            return;
        }
        case SignalOff:
            fill(QColor(238, 238, 238)).append(r);
            if (r.width() > 4) offLines_.append(QLineF(r.left() + 2, r.center().y(), r.right() - 2, r.center().y()));
            return;
        default: unset_.append(r); return;  // not set: the validator reports it; here it stays visibly blank
        }
    }

    void paint(QPainter& p) const {
        p.save();
        p.setPen(Qt::NoPen);
        // A PDF spells out every coordinate, in nine decimals unless it is
        // whole: the fills go in whole device dots (1/300 inch at the
        // report's resolution, finer than print shows), half the bytes.
        const QTransform toDevice = p.worldTransform();
        const bool dots = p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Pdf &&
                          toDevice.type() <= QTransform::TxScale;
        if (dots) p.setWorldTransform(QTransform());
        QList<QRectF> snapped;
        for (const auto& [colour, rects] : fills_) {
            p.setBrush(colour);
            if (!dots) {
                p.drawRects(rects.constData(), int(rects.size()));
                continue;
            }
            snapped.clear();
            for (const QRectF& r : rects) {
                const QRectF d = toDevice.mapRect(r);
                snapped.append(QRectF(QPointF(std::round(d.left()), std::round(d.top())),
                                      QPointF(std::round(d.right()), std::round(d.bottom()))));
            }
            p.drawRects(snapped.constData(), int(snapped.size()));
        }
        if (dots) p.setWorldTransform(toDevice);
        p.setPen(QPen(kOutline, 0.5));
        p.setBrush(kYellow);
        p.drawRects(yellowBars_.constData(), int(yellowBars_.size()));
        p.setBrush(kGreen);
        p.drawRects(greenBars_.constData(), int(greenBars_.size()));
        p.setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
        p.drawLines(offLines_.constData(), int(offLines_.size()));
        for (const QRectF& r : unset_) {
            p.save();
            p.fillRect(r, Qt::white);
            p.setClipRect(r, Qt::IntersectClip);
            p.setPen(QPen(QColor(200, 0, 0), 0.6));
            for (double x = r.left() - r.height(); x < r.right(); x += 6)
                p.drawLine(QPointF(x, r.bottom()), QPointF(x + r.height(), r.top()));
            p.restore();
        }
        p.restore();
    }

private:
    QList<QRectF>& fill(const QColor& colour) {
        for (auto& [c, rects] : fills_)
            if (c == colour) return rects;
        return fills_.emplace_back(colour, QList<QRectF>{}).second;
    }

    std::vector<std::pair<QColor, QList<QRectF>>> fills_;
    QList<QRectF> yellowBars_, greenBars_, unset_;
    QList<QLineF> offLines_;
};

void paintBand(QPainter& p, TextCache& tc, const DiagramLayout& d, const Band& b, double dy, const std::array<QImage, 14>& symbols) {
    const Geometry& g = d.geometry;
    auto shift = [&](const Rect& r) { return QRectF(r.x, r.y + dy, r.w, r.h); };
    const double top = b.top + dy;
    const double rowsTop = top + g.phaseHeight + g.tactHeight;
    const double axisY = b.axisY + dy;

    // Phase band.
    const QFont small = diagramFont(10), smallBold = diagramFont(10, true), tiny = diagramFont(8);
    TextFitter& boldFit = tc.fitter(smallBold);
    const QFont label = diagramFont(std::min(11.0, g.rowHeight - 1), true);
    // Boxes of a band go in one call a colour, then their texts: each change
    // between filling and writing puts the whole state into a PDF again.
    QList<QRectF> phaseBoxes;
    for (const PhaseBox& ph : b.phases) phaseBoxes.append(shift(ph.rect).adjusted(0, 1, 0, -1));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(252, 236, 236));
    p.drawRects(phaseBoxes.constData(), int(phaseBoxes.size()));
    p.setFont(smallBold);
    p.setPen(kPhaseColour);
    for (const PhaseBox& ph : b.phases) {
        const QRectF r = shift(ph.rect);
        const QString n = QString::number(ph.phaseNo);
        const QString text = fitting(boldFit, r.width(), {"Фаза " + n, "Ф" + n, n});
        tc.draw(p, r, Qt::AlignCenter, text);
    }

    // Tact band.
    p.setFont(small);
    TextFitter& smallFit = tc.fitter(small);
    TextFitter& tinyFit = tc.fitter(tiny);
    std::array<QList<QRectF>, 3> tactBoxes;  // phase, intermediate, call
    for (const TactBox& t : b.tacts)
        tactBoxes[t.call ? 2 : t.kind == TactIntermediate ? 1 : 0].append(shift(t.rect));
    p.setPen(QPen(QColor(150, 150, 150), 0.6));
    const QColor tactFills[] = {Qt::white, QColor(232, 232, 232), QColor(225, 245, 225)};
    for (std::size_t k = 0; k < tactBoxes.size(); ++k) {
        p.setBrush(tactFills[k]);
        p.drawRects(tactBoxes[k].constData(), int(tactBoxes[k].size()));
    }
    for (const TactBox& t : b.tacts) {
        const QRectF r = shift(t.rect);
        const QString no = QString::number(t.tact + 1);
        const QString kind = tactKindShort(t.kind);
        const QString secs = QString::number(t.width) + " с";
        const QString text = t.continued ? fitting(smallFit, r.width(), {"… " + no, no})
                                         : fitting(smallFit, r.width(), {no + " " + kind + " " + secs, no + " " + kind,
                                                                   t.call ? kind : no, no});
        p.setPen(t.call ? kCallColour : t.kind == TactPhase ? kPhaseColour : Qt::black);
        if (!text.isEmpty()) {
            tc.draw(p, r, Qt::AlignCenter, text);
        } else if (tinyFit.fits(no, r.width() - 2)) {
            // Long programs: three-digit numbers of short tacts in a smaller size.
            p.setFont(tiny);
            tc.draw(p, r, Qt::AlignCenter, no);
            p.setFont(small);
        }
    }

    // Direction column.
    std::array<QList<QRectF>, 2> stripes;
    for (std::size_t i = 0; i < b.rowLabels.size(); ++i) stripes[i % 2].append(shift(b.rowLabels[i]));
    p.setPen(Qt::NoPen);
    for (std::size_t k = 0; k < stripes.size(); ++k) {
        p.setBrush(k ? QColor(246, 246, 246) : QColor(Qt::white));
        p.drawRects(stripes[k].constData(), int(stripes[k].size()));
    }
    for (std::size_t i = 0; i < b.rowLabels.size(); ++i) {
        const QRectF r = shift(b.rowLabels[i]);
        const Row& row = d.timeline.rows[i];
        p.setFont(label);
        p.setPen(Qt::black);
        if (row.name.empty()) {
            tc.draw(p, r.adjusted(4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, qs(row.label));
        } else {
            // The number, then as much of the name as leaves room for the symbol.
            const double numberW = tc.fitter(label).width(qs(row.label)) + 4;
            tc.draw(p, r.adjusted(4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, qs(row.label));
            p.setFont(diagramFont(std::min(10.0, g.rowHeight - 2)));
            const double room = r.width() - numberW - 4 - r.height() * 1.2 - 6;
            tc.draw(p, QRectF(r.left() + 4 + numberW, r.top(), std::max(0.0, room), r.height()),
                       Qt::AlignVCenter | Qt::AlignLeft, tc.fitter(p.font())(qs(row.name), std::max(0.0, room)));
            p.setFont(label);
        }
        if (isCallInputDirection(row.kind)) {
            // The call button's picture carries its name in type too small to
            // read on paper: the name itself stands in for it.
            p.setFont(smallBold);
            p.setPen(kCallColour);
            tc.draw(p, r.adjusted(0, 0, -3, 0), Qt::AlignVCenter | Qt::AlignRight, row.kind == DirTvp1 ? "ТВП1" : "ТВП2");
            continue;
        }
        const QImage& sym = symbols[row.kind < 14 ? row.kind : 0];
        const double h = r.height() - 2, w = sym.width() * h / sym.height();
        p.drawImage(QRectF(r.right() - w - 3, r.top() + 1, w, h), sym);
    }

    // Segments, then their outlines, so neighbouring cells share one line.
    QList<QLineF> outlines, marks;
    SignalCells cells;
    for (const SegmentBox& s : b.segments) {
        const QRectF r = shift(s.rect);
        if (r.width() <= 0.01) {
            marks.append(QLineF(r.topLeft(), r.bottomLeft()));
            continue;
        }
        cells.add(r, s.signal);
    }
    cells.paint(p);
    outlines.reserve(qsizetype(b.outlines.size()));
    for (const Line& l : b.outlines) outlines.append(QLineF(l.x1, l.y1 + dy, l.x2, l.y2 + dy));
    p.setPen(QPen(kOutline, 0.6));
    p.drawLines(outlines.constData(), int(outlines.size()));
    p.setPen(QPen(kOutline, 1.2));
    p.drawLines(marks.constData(), int(marks.size()));
    // Call tacts: a dashed frame over their whole column.
    for (const TactBox& t : b.tacts) {
        if (!t.call) continue;
        const QRectF r(t.rect.x, rowsTop, t.rect.w, b.timeArea.h);
        p.setPen(QPen(kCallColour, 1.6, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0.8, 0.8, -0.8, -0.8));
    }
    // Intergreen brackets: from the end of one go to the start of the
    // conflicting green, red where shorter than the pair's intergreen.
    const QFont bracketFont = diagramFont(std::clamp(g.rowHeight * 0.45, 7.0, 10.0), true);
    for (const BracketBox& br : b.brackets) {
        const QRectF r = shift(br.rect);
        const QColor colour = br.tooShort ? QColor(215, 0, 0) : QColor(20, 40, 140);
        p.setPen(QPen(colour, br.tooShort ? 1.8 : 1.2));
        p.setBrush(Qt::NoBrush);
        const double y = r.top() + 1;
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
        if (br.startsHere) p.drawLine(QPointF(r.left(), y), QPointF(r.left(), r.bottom()));
        if (br.endsHere) p.drawLine(QPointF(r.right(), y), QPointF(r.right(), r.bottom()));
        if (!br.endsHere) continue;
        // The label by the green it leads to, on a white ground so it reads
        // over any signal colour.
        p.setFont(bracketFont);
        const QFontMetricsF bm(bracketFont);
        const QString text = qs(br.label);
        const double tw = tc.fitter(bracketFont).width(text) + 4, th = bm.height();
        const QRectF tr(r.right() - tw - 2, y + 1, tw, th);
        if (tw + 4 > r.width() + 40) continue;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 225));
        p.drawRect(tr);
        p.setPen(colour);
        tc.draw(p, tr, Qt::AlignCenter, text);
    }

    // The findings strip: a red bracket a line, the pair, the times and the
    // path beside it (after its end, or before its start near the band's end).
    for (const FindingBox& fb : b.findingBrackets) {
        const QRectF r = shift(fb.rect);
        const QColor red(215, 0, 0);
        p.setPen(QPen(red, 1.6));
        p.setBrush(Qt::NoBrush);
        const double y = r.center().y();
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
        if (fb.startsHere) p.drawLine(QPointF(r.left(), r.top() + 2), QPointF(r.left(), r.bottom() - 1));
        if (fb.endsHere) p.drawLine(QPointF(r.right(), r.top() + 2), QPointF(r.right(), r.bottom() - 1));
        if (!fb.labelHere) continue;
        p.setFont(bracketFont);
        const QString text = qs(d.timeline.findings[fb.finding].label);
        const double tw = tc.fitter(bracketFont).width(text) + 4;
        const double room = shift(b.timeArea).right() + g.rightPad - r.right();
        const QRectF tr = tw + 4 <= room ? QRectF(r.right() + 4, r.top(), tw, r.height())
                                         : QRectF(std::max(4.0, r.left() - tw - 4), r.top(), tw, r.height());
        tc.draw(p, tr, Qt::AlignVCenter | Qt::AlignLeft, text);
    }

    // Phase boundaries across the tact band and the rows.
    p.setPen(QPen(kPhaseColour, 1.6));
    for (double x : b.phaseLines) p.drawLine(QPointF(x, top), QPointF(x, axisY));

    // Time axis.
    const double x0 = b.timeArea.x, x1 = b.timeArea.right();
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(x0, axisY), QPointF(x1, axisY));
    p.setFont(small);
    // At the left, clear of the first tick's number under the column's edge.
    tc.draw(p, QRectF(4, axisY, g.labelWidth - 30, g.axisHeight), Qt::AlignLeft | Qt::AlignVCenter, "t, с");
    for (const Tick& t : b.ticks) {
        p.drawLine(QPointF(t.x, axisY), QPointF(t.x, axisY + 4));
        const bool end = t.seconds == d.timeline.totalSeconds;
        p.setFont(end ? smallBold : small);
        tc.draw(p, QRectF(t.x - 30, axisY + 4, 60, g.axisHeight - 4), Qt::AlignHCenter | Qt::AlignTop,
                   QString::number(t.seconds));
    }
}

}  // namespace

QFont diagramFont(double pixelSize, bool bold) {
    QFont f("Liberation Sans");
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(int(pixelSize));
    f.setBold(bold);
    return f;
}

void paintSignal(QPainter& p, const QRectF& r, uint8_t signal) {
    SignalCells cells;
    cells.add(r, signal);
    cells.paint(p);
}

void paintDiagramPart(QPainter& p, const DiagramLayout& d, int first, int last, bool title, bool legend,
                      QPointF origin, TextCache* text) {
    TextCache partTexts;
    TextCache& tc = text ? *text : partTexts;
    p.save();
    p.translate(origin);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const Geometry& g = d.geometry;
    double y = 0;
    if (title) {
        p.setFont(diagramFont(15, true));
        p.setPen(Qt::black);
        tc.draw(p, QRectF(0, 0, g.width, g.titleHeight), Qt::AlignLeft | Qt::AlignVCenter, qs(d.title));
        y = g.titleHeight;
    }
    std::array<QImage, 14> symbols;
    for (const Row& r : d.timeline.rows)
        if (r.kind < 14 && symbols[r.kind].isNull()) symbols[r.kind] = rowSymbol(r.kind);
    first = std::max(first, 0);
    last = std::min(last, int(d.bands.size()));
    for (int b = first; b < last; ++b) {
        const double dy = y - d.bands[b].top;
        paintBand(p, tc, d, d.bands[b], dy, symbols);
        y += d.bands[b].height + g.bandGap;
    }
    if (legend) paintLegend(p, tc, d, QPointF(0, y - g.bandGap + 4));
    p.restore();
}

void paintDiagram(QPainter& p, const DiagramLayout& d, QPointF origin) {
    paintDiagramPart(p, d, 0, int(d.bands.size()), true, true, origin);
}

}  // namespace livra::diagram
