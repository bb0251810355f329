#include "diagram_qt/diagram_export.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <cmath>

#include "diagram_qt/diagram_painter.h"

namespace livra::diagram {

const char* const kUnknownFileKindText = "Неизвестный вид файла: нужен .png, .svg или .pdf";

namespace {

// PDF pages are drawn in logical pixels (96 per inch) on a 300 dpi device.
constexpr int kPdfResolution = 300;
constexpr double kPdfScale = kPdfResolution / 96.0;

QString qpath(const std::string& path) { return QString::fromUtf8(path.data(), qsizetype(path.size())); }

void setUpPdf(QPdfWriter& w, QPageLayout::Orientation orientation, const std::string& title) {
    w.setResolution(kPdfResolution);
    w.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(0, 0, 0, 0)));
    w.setTitle(QString::fromStdString(title));
    w.setCreator("Конфигуратор ДК «Ливра»");
}

}  // namespace

std::string writeFailedText(const std::string& path) { return "Не удалось записать файл " + path; }

std::optional<FileKind> fileKindOf(const std::string& path) {
    const QString suffix = QFileInfo(qpath(path)).suffix().toLower();
    if (suffix == "png") return FileKind::Png;
    if (suffix == "svg") return FileKind::Svg;
    if (suffix == "pdf") return FileKind::Pdf;
    return std::nullopt;
}

Geometry screenGeometry(double width) {
    Geometry g;
    g.width = width;
    return g;
}

QImage diagramImage(const DiagramLayout& d) {
    QImage img(int(std::ceil(d.geometry.width)) + 16, int(std::ceil(d.height)) + 16, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter p(&img);
    paintDiagram(p, d, QPointF(8, 8));
    return img;
}

std::string writeDiagram(const Timeline& t, const std::string& path) {
    const auto kind = fileKindOf(path);
    if (!kind) return kUnknownFileKindText;
    QSaveFile file(qpath(path));
    if (!file.open(QIODevice::WriteOnly)) return writeFailedText(path);
    if (*kind == FileKind::Png) {
        if (!diagramImage(layoutDiagram(t, screenGeometry())).save(&file, "PNG")) return writeFailedText(path);
    } else if (*kind == FileKind::Svg) {
        const DiagramLayout d = layoutDiagram(t, screenGeometry());
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        const QSize size(int(std::ceil(d.geometry.width)) + 16, int(std::ceil(d.height)) + 16);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(96);
        svg.setTitle(QString::fromStdString(d.title));
        QPainter p;
        if (!p.begin(&svg)) return writeFailedText(path);
        p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        paintDiagram(p, d, QPointF(8, 8));
        p.end();
    } else {
        // A4 landscape, unless the directions only fit a portrait page.
        PageGeometry page;
        std::swap(page.width, page.height);
        Geometry g = fitRowsToPage(reportDiagramGeometry(page), int(t.rows.size()), page.contentBottom() - page.top);
        const bool landscape = g.rowHeight >= 12;
        if (!landscape) {
            page = PageGeometry();
            g = fitRowsToPage(reportDiagramGeometry(page), int(t.rows.size()), page.contentBottom() - page.top);
        }
        const DiagramLayout d = layoutDiagram(t, g);
        const auto parts = splitIntoPages(d, page.contentBottom() - page.top);
        QPdfWriter w(&file);
        setUpPdf(w, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, d.title);
        QPainter p;
        if (!p.begin(&w)) return writeFailedText(path);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (i > 0) w.newPage();
            p.save();
            p.scale(kPdfScale, kPdfScale);
            paintDiagramPart(p, d, parts[i].first, parts[i].second, parts[i].first == 0,
                             parts[i].second == int(d.bands.size()), QPointF(page.left, page.top));
            p.setFont(diagramFont(10));
            p.setPen(QColor(95, 95, 95));
            p.drawText(QRectF(page.left, page.height - page.bottom + 20, page.contentWidth(), 18),
                       Qt::AlignRight | Qt::AlignVCenter,
                       QString("Лист %1 из %2").arg(i + 1).arg(parts.size()));
            p.restore();
        }
        p.end();
    }
    if (!file.commit()) return writeFailedText(path);
    return {};
}

}  // namespace livra::diagram
