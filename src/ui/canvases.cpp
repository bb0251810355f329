#include "ui/canvases.h"

#include <QFontMetrics>
#include <algorithm>
#include <QPainter>

#include "edit/conflict_matrix.h"
#include "pictures/pictures.h"
#include "ui/texts.h"

namespace livra::ui {
namespace {

using namespace livra::pictures;
using namespace livra::grid;

constexpr int RowStep = 19;  // header text rows: 33 * 3 div 5
const int kTextRowY[5] = {2, 21, 41, 61, 81};

QColor background() { return QColor(63, 236, 205); }

// Text with its top at y, painted on an opaque background of its own.
void textAt(QPainter& p, int x, int yTop, const QString& text, QColor colour, QColor bg) {
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(bg);
    p.setPen(colour);
    p.drawText(QPoint(x, yTop + p.fontMetrics().ascent()), text);
    p.setBackgroundMode(Qt::TransparentMode);
}

int kindAt(const Configuration& c, int tact) {
    if (tact < 0 || tact >= TactCount) return TactEmpty;
    return c.TactTable[c.CurrentProgram][tact].kind;
}

}  // namespace

QImage makeTactCanvas(int width, int height) {
    QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
    img.fill(background());
    return img;
}

QImage makeDirectionsCanvas(int height) {
    QImage img(DirectionsWidth, height, QImage::Format_ARGB32_Premultiplied);
    img.fill(background());
    return img;
}

QString directionLabel(const Configuration& c, int d) {
    QString label = QString::number(d + 1);
    const uint8_t kind = c.DirectionKind[d];
    if (kind == DirTram1 || kind == DirTram2 || kind == DirTram3) {
        int trams = 0;
        for (int i = 0; i <= d; ++i)
            if (c.DirectionKind[i] == DirTram1) ++trams;
        label += "." + QString::number(trams);
    }
    return label;
}

void drawTactGrid(QImage& canvas, const Configuration& c, int firstTact, int firstDirection) {
    const auto& pics = builtInPictures();
    const int width = canvas.width(), height = canvas.height();
    QPainter p(&canvas);
    p.fillRect(0, 0, width, HeaderBandHeight, background());
    p.setFont(tableFont());
    p.setPen(Qt::black);
    const char* captions[5] = {"Такт№", "Такт вид", "T мин", "Т осн", "Время"};
    for (int k = 0; k < 5; ++k) textAt(p, 2, 5 + RowStep * k, captions[k], Qt::black, background());
    const int program = c.CurrentProgram;
    for (int i = 0; i <= height / CellHeight; ++i) {
        const int d = firstDirection + i;
        for (int j = 0; j <= width / CellWidth; ++j) {
            const int t = firstTact + j;
            const bool inside = t >= 0 && t < TactCount && d >= 0 && d < DirectionCount;
            int code = inside ? int(c.TactSignals[program][t][d]) : int(SignalOutside);
            if (code > SignalNotApplicable) code = SignalOutside;
            p.drawImage(CellWidth * (j + 1), CellHeight * (i + HeaderRows), pics.signalCell[code]);
        }
    }
    p.setPen(Qt::black);
    for (int y : {19, 38, 57, 76}) p.drawLine(0, y, width - 1, y);
    for (int x = CellWidth; x < width; x += CellWidth) p.drawLine(x, 0, x, height - 1);
}

void drawDirectionColumn(QImage& canvas, const Configuration& c, int firstDirection) {
    const auto& pics = builtInPictures();
    const int height = canvas.height();
    QPainter p(&canvas);
    p.setFont(tableFont());
    for (int i = 0; i <= height / CellHeight; ++i) {
        const int d = firstDirection + i;
        const int y = CellHeight * (i + HeaderRows);
        const bool inside = d >= 0 && d < DirectionCount;
        const int kind = inside ? c.DirectionKind[d] : OutsideKind;
        p.drawImage(0, y, pics.directionSymbol[kind <= 13 ? kind : 0]);
        if (inside && isUsedDirection(uint8_t(kind))) textAt(p, 5, y + 10, directionLabel(c, d), Qt::black, background());
    }
}

void drawTactHeader(QImage& canvas, const Configuration& c, int firstTact) {
    const int width = canvas.width(), height = canvas.height();
    QPainter p(&canvas);
    p.setFont(tableFont());
    const QColor bg = background();
    const auto& tacts = c.TactTable[c.CurrentProgram];
    for (int n = 0; n <= width / CellWidth; ++n) {
        const int l = firstTact + n;
        const int x0 = CellWidth * (n + 1);
        // Blank the five text rows between the band's lines.
        for (int row = 0; row < 5; ++row) p.fillRect(x0 + 1, RowStep * row + (row ? 1 : 0), CellWidth - 1, RowStep - (row ? 1 : 0), bg);
        const int kind = l < TactCount ? tacts[l].kind : TactEmpty;
        if (l < TactCount && kind >= 1) {
            const Tact& t = tacts[l];
            const int xt = x0 + 5, xk = x0 + 15;
            textAt(p, xt, kTextRowY[0], QString::number(l + 1), Qt::black, bg);
            switch (kind) {
            case TactPhase:
                textAt(p, xk, kTextRowY[1], "Ф " + QString::number(t.phaseNo), QColor(255, 0, 0), bg);
                textAt(p, xt, kTextRowY[2], QString::number(t.tMin), Qt::black, bg);
                textAt(p, xt, kTextRowY[3], QString::number(t.tMain), Qt::black, bg);
                textAt(p, xt, kTextRowY[4], QString::number(t.tEnd), Qt::black, bg);
                break;
            case TactIntermediate:
                textAt(p, xk, kTextRowY[1], "ПРОМ ", Qt::black, bg);
                textAt(p, xt, kTextRowY[3], QString::number(t.tMain), Qt::black, bg);
                textAt(p, xt, kTextRowY[4], QString::number(t.tEnd), Qt::black, bg);
                break;
            case TactTvp1:
            case TactTvp2:
                textAt(p, xk, kTextRowY[1], kind == TactTvp1 ? "ТВП1 " : "ТВП2 ", QColor(0, 128, 0), bg);
                textAt(p, xt, kTextRowY[3], QString::number(t.tMain), Qt::black, bg);
                break;
            default:
                break;
            }
        }
        // Blue where the next tact starts a phase or a call-tact group.
        const int next = l >= TactCount - 1 ? TactCount - 1 : l + 1;
        const int nextKind = kindAt(c, next);
        const int thisKind = kindAt(c, l);
        const bool starts = nextKind == TactPhase || (nextKind == TactTvp1 && thisKind != TactTvp1) ||
                            (nextKind == TactTvp2 && thisKind != TactTvp2);
        p.fillRect(CellWidth * (n + 2) - 2, 0, 3, height, starts ? QColor(0, 0, 255) : QColor(32, 178, 170));
    }
}

void drawSafetyMarks(QImage& canvas, const SafetyReport& report, int program, int firstTact) {
    const auto marks = findingsByTact(report, program);
    if (marks.empty()) return;
    const int width = canvas.width();
    QPainter p(&canvas);
    p.setPen(QPen(QColor(220, 0, 0), 3));
    p.setBrush(Qt::NoBrush);
    for (int n = 0; n <= width / CellWidth; ++n) {
        if (!marks.count(firstTact + n)) continue;
        const int x0 = CellWidth * (n + 1);
        p.drawRect(x0 + 2, 2, CellWidth - 6, HeaderBandHeight - 5);
    }
}

void drawSelection(QImage& canvas, const GridSelection& selection, int firstTact, int firstDirection) {
    if (selection.empty()) return;
    QPainter p(&canvas);
    const QColor veil(0, 90, 255, 70), edge(0, 70, 200);
    const int columns = canvas.width() / CellWidth + 1, rows = canvas.height() / CellHeight + 1;
    p.setPen(QPen(edge, 2));
    for (const GridCell& cell : selection.cells) {
        const int n = cell.tact - firstTact, r = cell.direction - firstDirection;
        if (n < 0 || n >= columns || r < 0 || r >= rows) continue;
        const QRect box(CellWidth * (n + 1), CellHeight * (r + HeaderRows), CellWidth, CellHeight);
        p.fillRect(box, veil);
        p.drawRect(box.adjusted(1, 1, -2, -2));
    }
    if (selection.hasTacts()) {
        for (int t = std::max(selection.firstTact, firstTact); t <= selection.lastTact && t - firstTact < columns; ++t) {
            const QRect band(CellWidth * (t - firstTact + 1), 0, CellWidth, canvas.height());
            p.fillRect(band, veil);
        }
    }
}

QString safetyMarkToolTip(const SafetyReport& report, int program, int firstTact, QPoint pos) {
    if (pos.y() < 0 || pos.y() >= HeaderBandHeight || pos.x() < CellWidth) return {};
    const int tact = firstTact + pos.x() / CellWidth - 1;
    const auto marks = findingsByTact(report, program);
    const auto it = marks.find(tact);
    if (it == marks.end()) return {};
    QStringList lines;
    for (const std::string& text : it->second) lines << QString::fromStdString(text);
    return lines.join('\n');
}

void drawDirectionsPicture(QImage& canvas, const Configuration& c, int firstDirection) {
    const auto& pics = builtInPictures();
    QPainter p(&canvas);
    p.setFont(tableFont());
    p.drawImage(0, 0, pics.directionsHeaderFirst);
    for (int s = 0; s < SlotCount; ++s) p.drawImage(CellWidth + SlotSize * s, 0, pics.slotHeader[s]);
    for (int r = 0; r <= canvas.height() / CellHeight; ++r) {
        const int d = firstDirection + r;
        const int y = CellHeight * (r + DirectionsHeaderRows);
        const bool inside = d >= 0 && d < DirectionCount;
        const int kind = inside ? c.DirectionKind[d] : OutsideKind;
        p.drawImage(0, y, pics.directionSymbol[kind <= 13 ? kind : 0]);
        if (inside && isUsedDirection(uint8_t(kind))) textAt(p, 5, y + 10, directionLabel(c, d), Qt::black, background());
        for (int s = 0; s < SlotCount; ++s) {
            const QImage* cell = &pics.greyCell;
            const bool used = inside && isEditableSlot(uint8_t(kind), s);
            if (inside) {
                const uint8_t mode = c.DirectionControl[d][s];
                cell = used && mode <= 2 ? &pics.modeCell[mode] : &pics.notApplicableCell;
            }
            const int x = CellWidth + SlotSize * s;
            p.drawImage(x, y, *cell);
            if (used && c.DirectionChannels[d][s] > 0)
                textAt(p, 73 + SlotSize * s, y + 10, QString::number(c.DirectionChannels[d][s]), Qt::black, Qt::white);
        }
    }
    // A project without directions says where to begin.
    if (firstDirection == 0 && c.DirectionKind[0] == DirEmpty) {
        const QRect hint(CellWidth + 4, CellHeight * DirectionsHeaderRows + 1, SlotSize * SlotCount - 8, CellHeight - 2);
        p.fillRect(hint, QColor(255, 255, 225));
        p.setPen(QColor(60, 60, 60));
        p.drawText(hint, Qt::AlignCenter | Qt::TextWordWrap, kAddDirectionHint);
    }
}

}  // namespace livra::ui
