#include "pictures/pictures.h"

#include <QCoreApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <cmath>
#include <functional>
#include <memory>

namespace livra::pictures {
namespace {

QColor rgb(unsigned v) { return colourOf(v); }

const QColor kRed = colourOf(SignalRedColour);
const QColor kYellow = colourOf(SignalYellowColour);
const QColor kGreen = colourOf(SignalGreenColour);
const QColor kDarkLamp(60, 60, 60);
const QColor kHousing(35, 35, 35);
const QColor kTramLit(170, 225, 255);

QImage blank(int w, int h, QColor fill) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

void frame(QPainter& p, int w, int h) {
    p.setPen(rgb(CellFrame));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, w - 1, h - 1);
}

void lamp(QPainter& p, QPointF centre, double r, QColor colour) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(colour);
    p.drawEllipse(centre, r, r);
}

// Five upright bars: the flashing signals.
QImage flashingCell(QColor colour) {
    QImage img = blank(CellWidth, CellHeight, QColor(250, 250, 250));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::black);
    p.setBrush(colour);
    for (int i = 0; i < 5; ++i) p.drawRect(6 + i * 11, 6, 6, 20);
    frame(p, CellWidth, CellHeight);
    return img;
}

QImage signalCell(int code) {
    switch (code) {
    case 1: { QImage i = blank(CellWidth, CellHeight, kRed); QPainter p(&i); frame(p, CellWidth, CellHeight); return i; }
    case 2: { QImage i = blank(CellWidth, CellHeight, kYellow); QPainter p(&i); frame(p, CellWidth, CellHeight); return i; }
    case 3: { QImage i = blank(CellWidth, CellHeight, kGreen); QPainter p(&i); frame(p, CellWidth, CellHeight); return i; }
    case 4: return flashingCell(kYellow);
    case 5: return flashingCell(kGreen);
    case 6: {
        QImage img = blank(CellWidth, CellHeight, kYellow);
        QPainter p(&img);
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(0, CellHeight), QPointF(CellWidth, CellHeight)}));
        frame(p, CellWidth, CellHeight);
        return img;
    }
    case 7: {
        QImage img = blank(CellWidth, CellHeight, Qt::white);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(70, 70, 70), 3));
        p.setBrush(Qt::NoBrush);
        const QPointF c(CellWidth / 2.0, CellHeight / 2.0);
        p.drawEllipse(c, 11, 11);
        p.drawLine(QPointF(c.x() - 7.5, c.y() + 7.5), QPointF(c.x() + 7.5, c.y() - 7.5));
        p.setRenderHint(QPainter::Antialiasing, false);
        frame(p, CellWidth, CellHeight);
        return img;
    }
    case 8: { QImage i = blank(CellWidth, CellHeight, rgb(OutsideGrey)); QPainter p(&i); frame(p, CellWidth, CellHeight); return i; }
    case 9: { QImage i = blank(CellWidth, CellHeight, rgb(NotApplicablePink)); QPainter p(&i); frame(p, CellWidth, CellHeight); return i; }
    default: { QImage i = blank(CellWidth, CellHeight, Qt::white); QPainter p(&i); frame(p, CellWidth, CellHeight); return i; }
    }
}

// The symbol occupies the right part of the cell; the left part carries the
// direction number (up to "63" or "61.21").
constexpr double kSymbolLeft = 27;

void headHousing(QPainter& p, double x, double y, double w, double h) {
    p.setPen(Qt::NoPen);
    p.setBrush(kHousing);
    p.drawRoundedRect(QRectF(x, y, w, h), 4, 4);
}

QImage directionSymbol(int kind) {
    if (kind == OutsideKind) return blank(CellWidth, CellHeight, rgb(OutsideGrey));
    QImage img = blank(CellWidth, CellHeight, rgb(CanvasBackground));
    if (kind == 0) return img;
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double y0 = 4, h = 25;
    switch (kind) {
    case 1:  // three-lamp vehicle head, lying on its side
        headHousing(p, kSymbolLeft, y0 + 2, 34, 21);
        lamp(p, {kSymbolLeft + 6.5, 16.5}, 4.5, kRed);
        lamp(p, {kSymbolLeft + 17, 16.5}, 4.5, kYellow);
        lamp(p, {kSymbolLeft + 27.5, 16.5}, 4.5, kGreen);
        break;
    case 2: {  // two-lamp pedestrian head with a walking figure
        headHousing(p, kSymbolLeft + 4, y0, 24, h);
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawRect(QRectF(kSymbolLeft + 7, y0 + 3, 18, 8.5));
        p.setBrush(kGreen);
        p.drawRect(QRectF(kSymbolLeft + 7, y0 + 13.5, 18, 8.5));
        p.setPen(QPen(Qt::black, 1.4));
        const double fx = kSymbolLeft + 16, fy = y0 + 14.5;
        p.drawEllipse(QPointF(fx, fy + 0.5), 1.2, 1.2);
        p.drawLine(QPointF(fx, fy + 2), QPointF(fx - 0.5, fy + 5));
        p.drawLine(QPointF(fx - 0.5, fy + 5), QPointF(fx - 3, fy + 7.5));
        p.drawLine(QPointF(fx - 0.5, fy + 5), QPointF(fx + 2.5, fy + 7.5));
        p.drawLine(QPointF(fx - 3, fy + 4), QPointF(fx + 3, fy + 3));
        break;
    }
    case 4:
    case 5:
    case 6: {  // extra section: one lamp with an arrow
        const QColor c = kind == 4 ? kRed : kind == 5 ? kYellow : kGreen;
        headHousing(p, kSymbolLeft + 5, y0, 25, h);
        lamp(p, {kSymbolLeft + 17.5, y0 + h / 2}, 9, c);
        p.setPen(QPen(Qt::black, 2));
        const double cy = y0 + h / 2;
        p.drawLine(QPointF(kSymbolLeft + 12, cy), QPointF(kSymbolLeft + 23, cy));
        p.drawLine(QPointF(kSymbolLeft + 23, cy), QPointF(kSymbolLeft + 19.5, cy - 3.5));
        p.drawLine(QPointF(kSymbolLeft + 23, cy), QPointF(kSymbolLeft + 19.5, cy + 3.5));
        break;
    }
    case 7:
    case 8:
    case 9: {  // tram head: three upper lamps and the lower one
        headHousing(p, kSymbolLeft + 2, y0, 31, h);
        const int lit = kind - 7;
        for (int i = 0; i < 3; ++i)
            lamp(p, {kSymbolLeft + 8.5 + 9 * i, y0 + 7}, 3.6, i == lit ? kTramLit : kDarkLamp);
        lamp(p, {kSymbolLeft + 17.5, y0 + 18}, 3.6, kTramLit);
        break;
    }
    case 12:
    case 13: {  // a hand on a push button, and the input's name
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(232, 232, 232));
        p.drawRoundedRect(QRectF(kSymbolLeft - 3, 2, 38, 29), 4, 4);
        p.setBrush(QColor(220, 40, 40));
        p.drawEllipse(QPointF(kSymbolLeft + 4, 22), 4.5, 4.5);
        p.setBrush(QColor(255, 214, 170));
        p.drawRoundedRect(QRectF(kSymbolLeft + 2.5, 8, 3.5, 11), 1.7, 1.7);
        p.drawRoundedRect(QRectF(kSymbolLeft + 5, 13, 6, 7), 2, 2);
        QFont f = tableFont();
        f.setPixelSize(9);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QRectF(kSymbolLeft + 11, 3, 24, 27), Qt::AlignCenter, kind == 12 ? "ТВП\n1" : "ТВП\n2");
        break;
    }
    default:
        break;
    }
    return img;
}

QImage slotCellBase(QColor border) {
    QImage img = blank(SlotSize, SlotSize, Qt::white);
    QPainter p(&img);
    p.setPen(rgb(CellFrame));
    p.drawRect(0, 0, SlotSize - 1, SlotSize - 1);
    p.setPen(QPen(border, 2));
    p.drawRect(2, 2, SlotSize - 5, SlotSize - 5);
    return img;
}

// Monitoring mode cells: the channel number is written over the middle, the
// mode sign sits in the lower right corner.
QImage modeCell(int mode) {
    const QColor border = mode == 2 ? QColor(230, 120, 0) : mode == 1 ? QColor(30, 100, 230) : QColor(170, 170, 170);
    QImage img = slotCellBase(border);
    if (mode == 0) return img;
    QPainter p(&img);
    QFont f = tableFont();
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(border);
    p.drawText(QRect(18, 20, 12, 11), Qt::AlignCenter, mode == 2 ? "I" : "U");
    return img;
}

QImage notApplicableCell() {
    QImage img = blank(SlotSize, SlotSize, rgb(NotApplicablePink));
    QPainter p(&img);
    p.setPen(QPen(QColor(230, 160, 160), 1));
    for (int k = -SlotSize; k < SlotSize; k += 6) p.drawLine(k, SlotSize, k + SlotSize, 0);
    p.setPen(rgb(CellFrame));
    p.drawRect(0, 0, SlotSize - 1, SlotSize - 1);
    return img;
}

// Column symbols of the directions picture: what each output slot drives.
QImage slotHeader(int slot) {
    QImage img = blank(SlotSize, SlotSize, rgb(CanvasBackground));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(SlotSize / 2.0, SlotSize / 2.0);
    if (slot <= 2) {
        headHousing(p, 6, 6, 21, 21);
        lamp(p, c, 7.5, slot == 0 ? kRed : slot == 1 ? kYellow : kGreen);
    } else {
        headHousing(p, 5, 5, 23, 23);
        if (slot == 6) {
            lamp(p, c, 6, kTramLit);
        } else {
            lamp(p, c, 6, kTramLit);
            p.setPen(QPen(Qt::black, 2));
            const double dx = slot == 3 ? -3.5 : slot == 5 ? 3.5 : 0;
            p.drawLine(QPointF(c.x() - dx, c.y() + 4), QPointF(c.x() + dx, c.y() - 4));
        }
    }
    return img;
}

QImage directionsHeaderFirst() {
    QImage img = blank(CellWidth, CellHeight, rgb(CanvasBackground));
    QPainter p(&img);
    p.setFont(tableFont());
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, CellWidth, CellHeight), Qt::AlignCenter, "Напр.");
    return img;
}

// Exchange frames: a computer and a controller cabinet with a packet that
// travels along the cable; twelve positions make one loop.
QImage animationFrame(int i) {
    QImage img = blank(AnimationSize, AnimationSize, QColor(245, 247, 250));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Computer.
    p.setPen(QPen(QColor(40, 50, 70), 2));
    p.setBrush(QColor(200, 225, 250));
    p.drawRoundedRect(QRectF(6, 18, 30, 22), 2, 2);
    p.setBrush(QColor(40, 50, 70));
    p.drawRect(QRectF(17, 40, 8, 5));
    p.drawRect(QRectF(11, 45, 20, 3));
    // Controller cabinet with a small signal head.
    p.setBrush(QColor(120, 130, 140));
    p.drawRoundedRect(QRectF(66, 12, 26, 40), 2, 2);
    p.setBrush(kHousing);
    p.drawRoundedRect(QRectF(73, 16, 12, 32), 3, 3);
    const int lit = (i / 4) % 3;
    lamp(p, {79, 22}, 3.5, lit == 0 ? kRed : kDarkLamp);
    lamp(p, {79, 32}, 3.5, lit == 1 ? kYellow : kDarkLamp);
    lamp(p, {79, 42}, 3.5, lit == 2 ? kGreen : kDarkLamp);
    // Cable.
    p.setPen(QPen(QColor(90, 90, 90), 2));
    p.setBrush(Qt::NoBrush);
    QPainterPath cable;
    cable.moveTo(21, 48);
    cable.cubicTo(21, 80, 79, 80, 79, 52);
    p.drawPath(cable);
    // Packets: one going there, a fainter one coming back.
    const double t = i / double(AnimationFrameCount);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 120, 255));
    p.drawEllipse(cable.pointAtPercent(t), 5, 5);
    p.setBrush(QColor(20, 180, 60));
    p.drawEllipse(cable.pointAtPercent(1.0 - std::fmod(t + 0.5, 1.0)), 3.5, 3.5);
    // A row of twelve dots, one lit per frame.
    for (int k = 0; k < AnimationFrameCount; ++k) {
        p.setBrush(k == i ? QColor(20, 120, 255) : QColor(200, 205, 215));
        p.drawEllipse(QPointF(50 + (k - 5.5) * 7.2, 92), 2.6, 2.6);
    }
    return img;
}

// Plan heads: a black pole dot, a stem, and the head itself on the right.
QImage planBase() {
    QImage img = blank(PlanPictureSize, PlanPictureSize, Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(12, 50), 6, 6);
    p.setPen(QPen(Qt::black, 4));
    p.drawLine(QPointF(16, 50), QPointF(38, 50));
    return img;
}

QColor headColour(int light) {
    switch (light) {
    case HeadRed: return kRed;
    case HeadYellow: return kYellow;
    case HeadGreen: return kGreen;
    default: return QColor(25, 25, 25);
    }
}

QImage vehicleHead(int light) {
    QImage img = planBase();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(40 - 36, 50 - 36, 72, 72);
    p.setPen(QPen(Qt::black, 2));
    if (light == HeadRedYellow) {
        p.setBrush(kYellow);
        p.drawPie(disc, 0, 90 * 16);
        p.setBrush(kRed);
        p.drawPie(disc, -90 * 16, 90 * 16);
    } else {
        p.setBrush(headColour(light));
        p.drawPie(disc, -90 * 16, 180 * 16);
    }
    return img;
}

QImage pedestrianHead(int light) {
    QImage img = planBase();
    QPainter p(&img);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(headColour(light));
    p.drawRect(QRectF(40, 22, 56, 56));
    return img;
}

QImage sectionHead(int light) {
    QImage img = planBase();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(38, 20, 7, 60));
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(headColour(light));
    p.drawPie(QRectF(45 - 24, 50 - 24, 48, 48), -90 * 16, 180 * 16);
    return img;
}

// Lamps lit per tram lamp code: base, top, middle, bottom.
QImage tramHead(int code) {
    static const bool lit[9][4] = {
        {false, false, false, false}, {true, true, true, true},  {true, true, false, false},
        {true, true, true, false},    {true, true, false, true}, {true, false, false, true},
        {true, false, true, false},   {true, false, true, true}, {false, true, true, true},
    };
    QImage img = planBase();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF base(46, 50);
    const QPointF lamps[3] = {{80, 20}, {84, 50}, {80, 80}};
    p.setPen(QPen(Qt::black, 3));
    for (const QPointF& l : lamps) p.drawLine(base, l);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(lit[code][0] ? kTramLit : Qt::black);
    p.drawEllipse(base, 10, 10);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lit[code][i + 1] ? kTramLit : Qt::black);
        p.drawEllipse(lamps[i], 10, 10);
    }
    return img;
}

QImage trafficLightImage(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 110, 100));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setBrush(kHousing);
    p.drawRoundedRect(QRectF(20, 6, 24, 52), 6, 6);
    lamp(p, {32, 16}, 6.5, kRed);
    lamp(p, {32, 32}, 6.5, kYellow);
    lamp(p, {32, 48}, 6.5, kGreen);
    return img;
}

QImage logo() {
    QImage img(370, 70, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 370, 70);
    g.setColorAt(0, QColor(20, 90, 80));
    g.setColorAt(1, QColor(40, 170, 150));
    p.fillRect(img.rect(), g);
    p.drawImage(QRect(10, 5, 60, 60), trafficLightImage(120));
    QFont big("Arial");
    big.setPixelSize(34);
    big.setBold(true);
    p.setFont(big);
    p.setPen(Qt::white);
    p.drawText(QRect(84, 2, 280, 42), Qt::AlignLeft | Qt::AlignVCenter, "Ливра");
    QFont small("Arial");
    small.setPixelSize(14);
    p.setFont(small);
    p.setPen(QColor(220, 250, 240));
    p.drawText(QRect(86, 42, 280, 22), Qt::AlignLeft | Qt::AlignVCenter, "Конфигуратор дорожного контроллера");
    return img;
}

QImage smallIcon(int w, int h, const std::function<void(QPainter&)>& draw, QColor face = QColor(235, 235, 235)) {
    QImage img = blank(w, h, face);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return img;
}

}  // namespace

QFont tableFont() {
    QFont f("Arial");
    f.setPixelSize(11);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

namespace {

// The pictures keep the paint engines they were drawn with, which belong to
// the running QGuiApplication: they are released when it ends, not at process
// exit, and drawn again if another application starts.
std::unique_ptr<BuiltInPictures>& picturesHolder() {
    static std::unique_ptr<BuiltInPictures> holder;
    return holder;
}

void releasePictures() { picturesHolder().reset(); }

BuiltInPictures drawAll() {
    BuiltInPictures b;
    for (int code = 0; code < 10; ++code) b.signalCell[code] = signalCell(code);
    for (int kind = 0; kind < 14; ++kind) b.directionSymbol[kind] = directionSymbol(kind);
    for (int mode = 0; mode < 3; ++mode) b.modeCell[mode] = modeCell(mode);
    b.notApplicableCell = notApplicableCell();
    b.greyCell = blank(SlotSize, SlotSize, rgb(OutsideGrey));
    b.directionsHeaderFirst = directionsHeaderFirst();
    for (int s = 0; s < 7; ++s) b.slotHeader[s] = slotHeader(s);
    for (int i = 0; i < AnimationFrameCount; ++i) b.animation[i] = animationFrame(i);
    b.logo = logo();
    for (int l = 0; l < 5; ++l) b.vehicleHead[l] = vehicleHead(l);
    const int pedestrianLights[3] = {HeadDark, HeadRed, HeadGreen};
    for (int i = 0; i < 3; ++i) b.pedestrianHead[i] = pedestrianHead(pedestrianLights[i]);
    for (int l = 0; l < 4; ++l) b.sectionHead[l] = sectionHead(l);
    for (int code = 0; code < 9; ++code) b.tramHead[code] = tramHead(code);
    for (int size : {16, 32, 48, 64, 128}) b.appIcon.addPixmap(QPixmap::fromImage(trafficLightImage(size)));

    const QColor pressed(200, 215, 235);
    auto triangle = [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 150, 0));
        p.drawPolygon(QPolygonF({QPointF(6, 4), QPointF(16, 10), QPointF(6, 16)}));
    };
    auto bars = [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 60, 160));
        p.drawRect(QRectF(5, 4, 3.5, 12));
        p.drawRect(QRectF(11.5, 4, 3.5, 12));
    };
    b.runIcon = smallIcon(20, 20, triangle);
    b.runPressedIcon = smallIcon(20, 20, triangle, pressed);
    b.pauseIcon = smallIcon(20, 20, bars);
    b.pausePressedIcon = smallIcon(20, 20, bars, pressed);
    b.stopIcon = smallIcon(20, 20, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 0, 0));
        p.drawRect(QRectF(5, 5, 10, 10));
    });
    b.stepIcon = smallIcon(32, 20, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 120, 0));
        p.drawPolygon(QPolygonF({QPointF(8, 4), QPointF(18, 10), QPointF(8, 16)}));
        p.drawRect(QRectF(20, 4, 3, 12));
    });
    for (int k = 0; k < 2; ++k) {
        for (int called = 0; called < 2; ++called) {
            QImage icon = smallIcon(20, 20, [&](QPainter& p) {
                p.setPen(QPen(Qt::black, 1));
                p.setBrush(called ? QColor(255, 60, 60) : QColor(150, 150, 150));
                p.drawEllipse(QPointF(10, 10), 7, 7);
                QFont f("Arial");
                f.setPixelSize(9);
                f.setBold(true);
                p.setFont(f);
                p.setPen(Qt::white);
                p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, QString::number(k + 1));
            });
            (called ? b.callCalledIcon : b.callIdleIcon)[k] = icon;
        }
    }
    return b;
}

}  // namespace

const BuiltInPictures& builtInPictures() {
    auto& holder = picturesHolder();
    if (!holder) {
        holder = std::make_unique<BuiltInPictures>(drawAll());
        qAddPostRoutine(releasePictures);
    }
    return *holder;
}

}  // namespace livra::pictures
