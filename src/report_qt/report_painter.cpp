#include "report_qt/report_painter.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <map>

#include "diagram_qt/diagram_painter.h"
#include "diagram_qt/text_cache.h"
#include "model/texts.h"
#include "pictures/pictures.h"
#include "plan/plan_pictures.h"
#include "sim/simulation.h"

namespace livra::report {
namespace {

using diagram::diagramFont;

const QColor kOutline(80, 80, 80);
const QColor kMuted(95, 95, 95);
const QColor kHeaderFill(225, 232, 240);
const QColor kGoColour(0, 140, 0);
const QColor kStopColour(170, 170, 170);

QString qs(const std::string& s) { return QString::fromStdString(s); }

PageGeometry pageOf(const Report& r, int page) {
    PageGeometry g = r.page;
    if (r.pages[page].landscape) std::swap(g.width, g.height);
    return g;
}

Qt::Alignment alignOf(Align a) {
    switch (a) {
    case Align::Left: return Qt::AlignLeft | Qt::AlignVCenter;
    case Align::Right: return Qt::AlignRight | Qt::AlignVCenter;
    default: return Qt::AlignCenter;
    }
}

void heading(QPainter& p, diagram::TextCache& tc, const PageGeometry& g, double y, const QString& text) {
    p.setFont(diagramFont(16, true));
    p.setPen(Qt::black);
    tc.draw(p, QRectF(g.left, y, g.contentWidth(), g.headingHeight), Qt::AlignLeft | Qt::AlignVCenter,
            tc.fitter(p.font())(text, g.contentWidth()));
}

void drawLines(QPainter& p, diagram::TextCache& tc, const PageGeometry& g, double y, const std::vector<TextLine>& lines, int first, int last,
               double lineHeight) {
    for (int i = first; i < last && i < int(lines.size()); ++i) {
        p.setFont(diagramFont(11, lines[i].bold));
        p.setPen(Qt::black);
        tc.draw(p, QRectF(g.left, y, g.contentWidth(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                tc.fitter(p.font())(qs(lines[i].text), g.contentWidth()));
        y += lineHeight;
    }
}

// Column edges of a table across the content width.
std::vector<double> columnEdges(const PageGeometry& g, const Table& t) {
    double total = 0;
    for (const Column& c : t.columns) total += c.weight;
    std::vector<double> x{g.left};
    for (const Column& c : t.columns) x.push_back(x.back() + g.contentWidth() * c.weight / (total > 0 ? total : 1));
    return x;
}

void drawTable(QPainter& p, diagram::TextCache& tc, const PageGeometry& g, const Table& t, const Block& b) {
    const double size = t.header ? 10.5 : 12;
    diagram::TextFitter& regularFit = tc.fitter(diagramFont(size));
    diagram::TextFitter& boldFit = tc.fitter(diagramFont(size, true));
    const std::vector<double> x = columnEdges(g, t);
    double y = b.top;
    const double top = y;
    p.setPen(QPen(kOutline, 0.6));
    if (t.header) {
        p.setBrush(kHeaderFill);
        p.drawRect(QRectF(g.left, y, g.contentWidth(), g.tableHeaderHeight));
        p.setFont(diagramFont(10, true));
        p.setPen(Qt::black);
        for (std::size_t c = 0; c < t.columns.size(); ++c)
            tc.draw(p, QRectF(x[c] + 3, y + 1, x[c + 1] - x[c] - 6, g.tableHeaderHeight - 2),
                       Qt::AlignCenter | Qt::TextWordWrap, qs(t.columns[c].title));
        y += g.tableHeaderHeight;
    }
    if (t.rows.empty()) {
        p.setFont(diagramFont(11));
        p.setPen(Qt::black);
        tc.draw(p, QRectF(g.left + 4, y, g.contentWidth() - 8, g.tableRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   qs(t.emptyText));
        y += g.tableRowHeight;
    }
    for (int i = b.first; i < b.last && i < int(t.rows.size()); ++i) {
        const bool bold = i < int(t.bold.size()) && t.bold[i];
        p.setPen(Qt::NoPen);
        p.setBrush(bold && t.header ? QColor(236, 241, 236) : i % 2 ? QColor(246, 246, 246) : QColor(Qt::white));
        p.drawRect(QRectF(g.left, y, g.contentWidth(), g.tableRowHeight));
        for (std::size_t c = 0; c < t.columns.size() && c < t.rows[i].size(); ++c) {
            // The title page: values bold under muted names.
            const bool boldCell = bold || (!t.header && c > 0);
            p.setFont(diagramFont(size, boldCell));
            p.setPen(!t.header && c == 0 ? kMuted : QColor(Qt::black));
            const double w = x[c + 1] - x[c] - 6;
            tc.draw(p, QRectF(x[c] + 3, y, w, g.tableRowHeight), alignOf(t.columns[c].align),
                       (boldCell ? boldFit : regularFit)(qs(t.rows[i][c]), w));
        }
        y += g.tableRowHeight;
    }
    if (!t.header) return;
    p.setPen(QPen(kOutline, 0.6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(g.left, top, g.contentWidth(), y - top));
    const double linesEnd = t.rows.empty() ? top + (t.header ? g.tableHeaderHeight : 0) : y;
    for (std::size_t c = 1; c < t.columns.size(); ++c) p.drawLine(QPointF(x[c], top), QPointF(x[c], linesEnd));
}

void drawTitle(QPainter& p, diagram::TextCache& tc, const Report& r, const PageGeometry& g, const Block& b) {
    p.setPen(Qt::black);
    p.setFont(diagramFont(24, true));
    tc.draw(p, QRectF(g.left, b.top, g.contentWidth(), 44), Qt::AlignHCenter | Qt::AlignVCenter, qs(r.heading));
    p.setFont(diagramFont(18, true));
    tc.draw(p, QRectF(g.left, b.top + 50, g.contentWidth(), 56), Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap,
               qs(r.objectName));
    p.setPen(QPen(Qt::black, 1.2));
    p.drawLine(QPointF(g.left, b.top + b.height - 4), QPointF(g.left + g.contentWidth(), b.top + b.height - 4));
}

void drawSignatures(QPainter& p, diagram::TextCache& tc, const Report& r, const PageGeometry& g, const Block& b) {
    heading(p, tc, g, b.top, kReportSignaturesTitle);
    double y = b.top + g.headingHeight;
    const double w = g.contentWidth();
    const double x[] = {g.left, g.left + w * 0.2, g.left + w * 0.6, g.left + w * 0.82, g.left + w};
    p.setFont(diagramFont(10, true));
    p.setPen(kMuted);
    tc.draw(p, QRectF(x[2], y, x[3] - x[2], g.tableRowHeight), Qt::AlignCenter, kReportSignatureColumn);
    tc.draw(p, QRectF(x[3], y, x[4] - x[3], g.tableRowHeight), Qt::AlignCenter, kReportDateColumn);
    y += g.tableRowHeight;
    for (const auto& [role, name] : r.signatures) {
        p.setFont(diagramFont(12));
        p.setPen(kMuted);
        tc.draw(p, QRectF(x[0], y, x[1] - x[0], 34), Qt::AlignLeft | Qt::AlignBottom, qs(role));
        p.setFont(diagramFont(12, true));
        p.setPen(Qt::black);
        tc.draw(p, QRectF(x[1], y, x[2] - x[1] - 8, 30), Qt::AlignLeft | Qt::AlignBottom, qs(name));
        p.setPen(QPen(kOutline, 0.8));
        const double line = y + 31;
        p.drawLine(QPointF(x[1], line), QPointF(x[2] - 8, line));
        p.drawLine(QPointF(x[2] + 8, line), QPointF(x[3] - 8, line));
        p.drawLine(QPointF(x[3] + 8, line), QPointF(x[4], line));
        y += 34;
    }
}

// The built-in head pictures with their white made transparent, once.
const QImage* headImage(HeadPicture h) {
    static std::map<std::pair<int, int>, QImage> cache;
    const auto key = std::pair(int(h.set), int(h.index));
    if (auto it = cache.find(key); it != cache.end()) return &it->second;
    const auto& b = pictures::builtInPictures();
    const QImage* source = nullptr;
    auto pick = [&](const auto& set) { return h.index < set.size() ? &set[h.index] : nullptr; };
    switch (h.set) {
    case HeadPictureSet::Vehicle: source = pick(b.vehicleHead); break;
    case HeadPictureSet::Pedestrian: source = pick(b.pedestrianHead); break;
    case HeadPictureSet::Section: source = pick(b.sectionHead); break;
    case HeadPictureSet::Tram: source = pick(b.tramHead); break;
    }
    if (!source) return nullptr;
    QImage img = source->convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == 0xFFFFFF) line[x] = 0;
    }
    return &cache.emplace(key, img.convertToFormat(QImage::Format_ARGB32_Premultiplied)).first->second;
}

// The signal a head shows in a phase: its direction's, a tram head its
// three rows' lamp.
uint8_t headSignal(const Report& r, const TactSignalRow& shown, int d) {
    const uint8_t kind = r.kinds[d];
    if (kind == DirTram1 && d + 2 < DirectionCount) return tramLampCode(shown[d], shown[d + 1], shown[d + 2]);
    return shown[d];
}

// The arrow's head at `to`, for a shaft of the width.
QPainterPath arrowTip(QPointF from, QPointF to, double width) {
    QPainterPath tip;
    const QPointF d = to - from;
    const double len = std::hypot(d.x(), d.y());
    if (len < 1) return tip;
    const QPointF u = d / len, n(-u.y(), u.x());
    const double head = std::max(7.0, width * 3);
    tip.moveTo(to);
    tip.lineTo(to - u * head + n * head * 0.55);
    tip.lineTo(to - u * head - n * head * 0.55);
    tip.closeSubpath();
    return tip;
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour, double width) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    p.fillPath(arrowTip(from, to, width), colour);
}

// The plan in a square of side `side`: its picture, every head in the signal
// it shows, and for the going directions an arrow along their movement (a
// head faces the traffic it serves; the traffic moves past it).
void drawPlan(QPainter& p, diagram::TextCache& tc, const Report& r, QRectF area, const TactSignalRow* shown, const std::vector<int>* going) {
    p.save();
    p.setClipRect(area);
    const double k = area.width() / 500.0;
    if (r.planPicture) {
        const RgbaImage& pic = *r.planPicture;
        const QImage img(pic.rgba.data(), pic.width, pic.height, qsizetype(pic.width) * 4, QImage::Format_RGBA8888);
        p.setOpacity(shown ? 0.55 : 1.0);
        p.drawImage(area, img);
        p.setOpacity(1.0);
    } else {
        p.fillRect(area, QColor(236, 240, 246));
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // The heads first, then every arrow, then every number, each in one
    // painter state: a report has hundreds of phase pictures of up to 63
    // heads, and each change of state is written into the PDF again.
    const double shaftWidth = std::max(2.0, 3.2 * k);
    const QFont numberFont = diagramFont(std::max(8.0, 12 * k), true);
    const QFontMetricsF fm(numberFont);
    diagram::TextFitter& numberFit = tc.fitter(numberFont);
    QList<QLineF> shafts;
    QPainterPath tips;
    QList<QRectF> boxes;
    std::vector<std::pair<QString, bool>> numbers;
    const QTransform planTransform = p.transform();
    for (const PlanObject& o : r.plan->planObjects) {
        if (!o.isHead() || o.direction < 1 || o.direction > DirectionCount) continue;
        const int d = o.direction - 1;
        std::optional<HeadPicture> pic = darkHeadPicture(r.kinds[d]);
        if (shown) {
            if (auto lit = chooseHeadPicture(r.kinds[d], headSignal(r, *shown, d), 1, PlanDrawMode::Blink)) pic = lit;
        } else if (auto red = chooseHeadPicture(r.kinds[d], SignalRed, 1, PlanDrawMode::Blink)) {
            pic = red;
        }
        const QImage* img = pic ? headImage(*pic) : nullptr;
        const double w = std::round(o.width), h = std::round(o.height);
        const QPointF centre(area.left() + (o.x + w / 2) * k, area.top() + (o.y + h / 2) * k);
        if (img) {
            // Turned about its centre; the painter's transform is set, not
            // saved and restored, which would write the whole state again.
            QTransform t;
            t.translate(centre.x(), centre.y());
            t.rotate(o.angle);
            p.setTransform(t * planTransform);
            p.drawImage(QRectF(-w * k / 2, -h * k / 2, w * k, h * k), *img);
        }
        const bool goes = going && std::find(going->begin(), going->end(), d) != going->end();
        if (goes) {
            const double a = o.angle * M_PI / 180.0;
            const QPointF to = centre + QPointF(-std::cos(a), -std::sin(a)) * (std::max(w, 40.0) * 1.3 * k);
            shafts.append(QLineF(centre, to));
            tips.addPath(arrowTip(centre, to, shaftWidth));
        }
        // The head's number, on white so it reads over the picture.
        const QString n = QString::number(o.direction);
        boxes.append(QRectF(centre.x() + 10 * k, centre.y() - fm.height() - 2 * k, numberFit.width(n) + 6,
                            fm.height()));
        numbers.emplace_back(n, goes);
    }
    p.setTransform(planTransform);
    p.setPen(QPen(kGoColour, shaftWidth, Qt::SolidLine, Qt::RoundCap));
    p.drawLines(shafts.constData(), int(shafts.size()));
    p.fillPath(tips, kGoColour);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawRects(boxes.constData(), int(boxes.size()));
    p.setFont(numberFont);
    for (const bool goes : {false, true}) {
        p.setPen(goes ? kGoColour : QColor(Qt::black));
        for (std::size_t i = 0; i < numbers.size(); ++i)
            if (numbers[i].second == goes) tc.draw(p, boxes[qsizetype(i)], Qt::AlignCenter, numbers[i].first);
    }
    p.restore();
    p.setPen(QPen(kOutline, 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area);
}

// Without a plan: the used signal heads round a crossing, each an arrow
// towards the centre, green and bold where it goes.
void drawSchematic(QPainter& p, diagram::TextCache& tc, const Report& r, QRectF area, const std::vector<int>& going) {
    p.save();
    p.setClipRect(area);
    p.fillRect(area, QColor(248, 248, 248));
    std::vector<int> heads;
    for (int d = 0; d < DirectionCount; ++d)
        if (kindHasHead(r.kinds[d]) && !(r.kinds[d] == DirTram2 || r.kinds[d] == DirTram3)) heads.push_back(d);
    const QPointF c = area.center();
    const double radius = area.width() * 0.40;
    p.setPen(QPen(QColor(210, 210, 210), area.width() * 0.16, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(area.left() + 8, c.y()), QPointF(area.right() - 8, c.y()));
    p.drawLine(QPointF(c.x(), area.top() + 8), QPointF(c.x(), area.bottom() - 8));
    const int n = std::max<int>(1, int(heads.size()));
    for (int i = 0; i < int(heads.size()); ++i) {
        const int d = heads[i];
        const double a = -M_PI / 2 + 2 * M_PI * i / n;
        const QPointF u(std::cos(a), std::sin(a));
        const bool goes = std::find(going.begin(), going.end(), d) != going.end();
        const QPointF from = c + u * radius, to = c + u * (radius * 0.25);
        if (goes) arrow(p, from, to, kGoColour, 3);
        else {
            p.setPen(QPen(kStopColour, 1.4, Qt::DashLine));
            p.drawLine(from, to);
        }
        p.setFont(diagramFont(11, true));
        p.setPen(goes ? kGoColour : kMuted);
        const QPointF at = c + u * (radius + 12);
        tc.draw(p, QRectF(at.x() - 20, at.y() - 9, 40, 18), Qt::AlignCenter, QString::number(d + 1));
    }
    p.restore();
    p.setPen(QPen(kOutline, 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area);
}

void drawPhases(QPainter& p, diagram::TextCache& tc, const Report& r, const PageGeometry& g, const Section& s, const Block& b) {
    const auto& pics = r.phasePictures[s.sheet];
    const ProgramSheet& sheet = r.sheets[s.sheet];
    const double cellW = g.contentWidth() / r.phasesPerRow;
    const double side = std::min(r.phaseSide, cellW - 12);
    for (int row = b.first; row < b.last; ++row) {
        for (int i = row * r.phasesPerRow; i < std::min<int>(int(pics.size()), (row + 1) * r.phasesPerRow); ++i) {
            const PhasePicture& pic = pics[i];
            const PhaseSheet& ph = sheet.phases[pic.phase];
            const double x = g.left + (i % r.phasesPerRow) * cellW + (cellW - side) / 2;
            const QRectF area(x, b.top, side, side);
            if (r.plan) drawPlan(p, tc, r, area, &ph.shown, &ph.going);
            else drawSchematic(p, tc, r, area, ph.going);
            double y = b.top + side + 4;
            p.setFont(diagramFont(11.5, true));
            p.setPen(Qt::black);
            tc.draw(p, QRectF(x - 4, y, side + 8, 15), Qt::AlignLeft | Qt::AlignVCenter, qs(pic.caption));
            y += 15;
            p.setFont(diagramFont(10));
            diagram::TextFitter& fit = tc.fitter(p.font());
            std::vector<std::string> lines = pic.going;
            if (lines.empty()) lines.push_back(kReportNobodyGoesText);
            else lines.front() = kReportGoingText + lines.front();
            const int shown = std::min<int>(int(lines.size()), 4);
            for (int k = 0; k < shown; ++k) {
                std::string text = lines[k];
                if (k == shown - 1 && int(lines.size()) > shown)
                    text += std::string(" ") + kAndMoreText + std::to_string(lines.size() - shown);
                tc.draw(p, QRectF(x - 4, y, side + 8, 15), Qt::AlignLeft | Qt::AlignVCenter,
                        fit(qs(text), side + 8));
                y += 15;
            }
        }
    }
}

void drawSafetyMatrix(QPainter& p, diagram::TextCache& tc, const Report& r, const PageGeometry& g, const Block& b) {
    const SafetySection& s = r.safety;
    double y = b.top;
    if (!s.defined) {
        p.setFont(diagramFont(11));
        p.setPen(Qt::black);
        tc.draw(p, QRectF(g.left + 4, y, g.contentWidth(), g.tableRowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                   "Матрица конфликтов не задана.");
        return;
    }
    const int n = int(s.labels.size());
    const double c = s.cell, x0 = g.left + s.labelWidth;
    const QFont font = diagramFont(std::clamp(c * 0.45, 6.0, 10.0));
    const QFont bold = diagramFont(std::clamp(c * 0.45, 6.0, 10.0), true);
    p.setFont(bold);
    p.setPen(Qt::black);
    tc.draw(p, QRectF(g.left, y, s.labelWidth - 2, c + 4), Qt::AlignRight | Qt::AlignVCenter, "из \\ в");
    for (int j = 0; j < n; ++j) tc.draw(p, QRectF(x0 + j * c, y, c, c + 4), Qt::AlignCenter, qs(s.labels[j]));
    y += c + 4;
    const double top = y;
    for (int i = b.first; i < b.last; ++i) {
        p.setFont(bold);
        p.setPen(Qt::black);
        tc.draw(p, QRectF(g.left, y, s.labelWidth - 4, c), Qt::AlignRight | Qt::AlignVCenter, qs(s.labels[i]));
        p.setFont(font);
        for (int j = 0; j < n; ++j) {
            const QRectF cell(x0 + j * c, y, c, c);
            const std::string& text = s.cells[i][j];
            p.setPen(QPen(kOutline, 0.5));
            p.setBrush(i == j ? QColor(190, 190, 190) : text.empty() ? QColor(Qt::white) : QColor(255, 190, 190));
            p.drawRect(cell);
            if (!text.empty()) {
                p.setPen(Qt::black);
                tc.draw(p, cell, Qt::AlignCenter, qs(text));
            }
        }
        y += c;
    }
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(x0, top, n * c, y - top));
}

void drawSafetyText(QPainter& p, diagram::TextCache& tc, const Report& r, const PageGeometry& g, const Block& b) {
    const SafetySection& s = r.safety;
    double y = b.top;
    for (int i = b.first; i < b.last && i < int(s.lines.size()); ++i) {
        const auto& [title, text] = s.lines[i];
        p.setFont(diagramFont(title ? 12 : 10.5, title));
        p.setPen(Qt::black);
        tc.draw(p, QRectF(g.left + (title ? 0 : 12), y, g.contentWidth(), s.lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                tc.fitter(p.font())(qs(text), g.contentWidth() - 12));
        y += s.lineHeight;
    }
}

}  // namespace

QSizeF pageSize(const Report& r, int page) {
    const PageGeometry g = pageOf(r, page);
    return {g.width, g.height};
}

void paintReportPage(QPainter& p, const Report& r, int page, const std::string& footer, diagram::TextCache* text) {
    if (page < 0 || page >= int(r.pages.size())) return;
    diagram::TextCache pageTexts;
    diagram::TextCache& tc = text ? *text : pageTexts;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const PageGeometry g = pageOf(r, page);
    for (const Block& b : r.pages[page].blocks) {
        const Section& s = r.sections[b.section];
        switch (b.kind) {
        case BlockKind::Title: drawTitle(p, tc, r, g, b); break;
        case BlockKind::Signatures: drawSignatures(p, tc, r, g, b); break;
        case BlockKind::Heading: heading(p, tc, g, b.top, qs(s.title)); break;
        case BlockKind::Lead: drawLines(p, tc, g, b.top, s.lead, b.first, b.last, r.safety.lineHeight); break;
        case BlockKind::Trail: drawLines(p, tc, g, b.top, s.trail, b.first, b.last, r.safety.lineHeight); break;
        case BlockKind::TableRows: drawTable(p, tc, g, s.table, b); break;
        case BlockKind::Plan: {
            const double side = std::min(r.planSide, g.contentWidth());
            drawPlan(p, tc, r, QRectF(g.left + (g.contentWidth() - side) / 2, b.top, side, side), nullptr, nullptr);
            break;
        }
        case BlockKind::Phases: drawPhases(p, tc, r, g, s, b); break;
        case BlockKind::Diagram:
            diagram::paintDiagramPart(p, r.diagrams[s.diagram], b.first, b.last, b.heading, b.legend,
                                      QPointF(g.left, b.top), &tc);
            break;
        case BlockKind::SafetyMatrix: drawSafetyMatrix(p, tc, r, g, b); break;
        case BlockKind::SafetyText: drawSafetyText(p, tc, r, g, b); break;
        }
    }
    const double fy = g.height - g.bottom + 18;
    p.setPen(QPen(kMuted, 0.6));
    p.drawLine(QPointF(g.left, fy), QPointF(g.left + g.contentWidth(), fy));
    p.setFont(diagramFont(10));
    const QString left = qs(r.footer + (footer.empty() ? "" : " · " + footer));
    tc.draw(p, QRectF(g.left, fy + 2, g.contentWidth() * 0.8, 18), Qt::AlignLeft | Qt::AlignVCenter,
            tc.fitter(p.font())(left, g.contentWidth() * 0.8));
    tc.draw(p, QRectF(g.left, fy + 2, g.contentWidth(), 18), Qt::AlignRight | Qt::AlignVCenter,
               QString("Лист %1 из %2").arg(page + 1).arg(r.pages.size()));
    p.restore();
}

}  // namespace livra::report
