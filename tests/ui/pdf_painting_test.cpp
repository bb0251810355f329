// What the report's painting writes into a PDF: cached texts exactly as
// drawText's (the same glyphs at the same positions, clipped where drawText
// clips), signal fills in whole device dots.
#include "diagram_qt/text_cache.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPdfWriter>
#include <functional>
#include <random>

#include "diagram_qt/diagram_painter.h"
#include "model/configuration.h"
#include "pictures/pictures.h"

namespace {

using Draw = std::function<void(QPainter&, const QRectF&, int, const QString&)>;

// Every stream of a PDF (page contents, font subsets), inflated where it is
// compressed.
std::vector<QByteArray> pdfStreams(const QByteArray& pdf) {
    std::vector<QByteArray> out;
    qsizetype at = 0;
    while ((at = pdf.indexOf("stream\n", at)) >= 0) {
        at += 7;
        const qsizetype end = pdf.indexOf("endstream", at);
        if (end < 0) break;
        QByteArray packed(4, '\0');
        packed[0] = 0x01;  // a generous size hint: 16 MB
        const QByteArray raw = pdf.mid(at, end - at);
        packed += raw;
        const QByteArray inflated = qUncompress(packed);
        out.push_back(inflated.isEmpty() ? raw : inflated);
        at = end;
    }
    return out;
}

// A one-page PDF at the report's resolution and scale, painted by `paint`.
QByteArray pdfPage(const std::function<void(QPainter&)>& paint) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter w(&buffer);
        w.setResolution(300);
        QPainter p(&w);
        p.scale(300 / 96.0, 300 / 96.0);
        paint(p);
    }
    return bytes;
}

// Texts in the report's fonts and alignments, in rectangles wide and
// narrow, drawn by `draw`.
void texts(QPainter& p, const Draw& draw) {
    {
        p.setRenderHint(QPainter::Antialiasing);
        const QStringList words{"5", "12 с", "направление 7", "ул. Ленина, прямо и направо", "Фаза 3",
                                "Лист 2 из 179", "1→4: 6 с ►", "…", "ТВП1", "t, с", "a\nb", " отступ",
                                "хвост ", "W", ""};
        const int alignments[] = {Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignRight | Qt::AlignVCenter,
                                  Qt::AlignCenter, Qt::AlignHCenter | Qt::AlignTop, Qt::AlignLeft | Qt::AlignBottom,
                                  Qt::AlignCenter | Qt::TextWordWrap};
        std::mt19937 random(5);
        for (int i = 0; i < 600; ++i) {
            p.setFont(livra::diagram::diagramFont(std::vector{8.0, 10.0, 10.5, 12.0, 16.0}[random() % 5],
                                                  random() % 2));
            p.setPen(i % 97 == 0 ? QPen(Qt::NoPen) : QPen(QColor(int(random() % 200), 0, 0)));
            const QRectF r(double(random() % 6000) / 10.0, double(random() % 9000) / 10.0,
                           double(random() % 2000) / 10.0, double(random() % 300) / 10.0);
            draw(p, r, alignments[random() % 6], words[int(random() % words.size())]);
        }
    }
}

// The texts on a PDF page at the report's scale.
QByteArray pageOfTexts(const Draw& draw) {
    return pdfPage([&](QPainter& p) { texts(p, draw); });
}

// The texts on a screen-like image, at a scale that is not whole.
QImage imageOfTexts(const Draw& draw) {
    QImage img(900, 1200, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter p(&img);
    p.scale(1.25, 1.25);
    texts(p, draw);
    return img;
}

}  // namespace

TEST(TextCache, DrawsEveryTextExactlyAsDrawTextAndLaysEachOutOnce) {
    livra::diagram::TextCache cache;
    const auto cached = pdfStreams(pageOfTexts([&](QPainter& p, const QRectF& r, int f, const QString& t) {
        cache.draw(p, r, f, t);
    }));
    const auto direct = pdfStreams(
        pageOfTexts([](QPainter& p, const QRectF& r, int f, const QString& t) { p.drawText(r, f, t); }));
    ASSERT_EQ(cached.size(), direct.size());
    ASSERT_GE(cached.size(), 2u);
    for (std::size_t i = 0; i < cached.size(); ++i) EXPECT_EQ(cached[i], direct[i]) << "stream " << i;
    EXPECT_TRUE(direct[0].contains(" Tj"));
    // Narrow rectangles make drawText clip: the page does clip somewhere.
    EXPECT_TRUE(direct[0].contains("W* n"));

    // On a screen as well.
    livra::diagram::TextCache onScreen;
    EXPECT_EQ(imageOfTexts([&](QPainter& p, const QRectF& r, int f, const QString& t) { onScreen.draw(p, r, f, t); }),
              imageOfTexts([](QPainter& p, const QRectF& r, int f, const QString& t) { p.drawText(r, f, t); }));
    EXPECT_GT(onScreen.size(), 20u);

    // 600 draws of 10 plain texts in 10 fonts: at most 100 layouts; texts with
    // a line break, an edge space or wrapping, and empty ones, are not kept.
    EXPECT_GT(cache.size(), 20u);
    EXPECT_LE(cache.size(), 100u);
}

TEST(PdfPainting, SignalFillsGoInWholeDeviceDotsAndStayPutElsewhere) {
    // 10.3 × 3.125 = 32.2 → 32; 20.7 → 64.7 → 65; the right edge 43.63 →
    // 136.3 → 136; the bottom 32.8 → 102.5 → 103.
    const auto page = pdfStreams(pdfPage([](QPainter& p) {
        livra::diagram::paintSignal(p, QRectF(10.3, 20.7, 33.33, 12.1), livra::SignalRed);
        p.drawRect(QRectF(10.3, 20.7, 33.33, 12.1));  // an outline keeps the painter's own scale
    }));
    ASSERT_FALSE(page.empty());
    EXPECT_TRUE(page[0].contains("32 65 104 38 re")) << page[0].toStdString();
    EXPECT_TRUE(page[0].contains("10.3")) << page[0].toStdString();

    // On a screen the cell keeps its exact place.
    QImage exact(200, 200, QImage::Format_ARGB32), shown(200, 200, QImage::Format_ARGB32);
    exact.fill(Qt::white);
    shown.fill(Qt::white);
    {
        QPainter a(&exact);
        a.scale(3.125, 3.125);
        a.fillRect(QRectF(10.3, 20.7, 33.33, 12.1), livra::pictures::colourOf(livra::pictures::SignalRedColour));
        QPainter b(&shown);
        b.scale(3.125, 3.125);
        livra::diagram::paintSignal(b, QRectF(10.3, 20.7, 33.33, 12.1), livra::SignalRed);
    }
    EXPECT_EQ(exact, shown);
}
