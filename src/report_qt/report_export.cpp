#include "report_qt/report_export.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

#include "diagram_qt/diagram_export.h"
#include "model/texts.h"
#include "report_qt/report_painter.h"

namespace livra::report {
namespace {

// Pages are drawn in logical pixels (96 per inch) on a 300 dpi device.
constexpr int kPdfResolution = 300;
constexpr double kPdfScale = kPdfResolution / 96.0;

QPageLayout layoutOf(bool landscape) {
    return QPageLayout(QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

}  // namespace

std::string writeReportPdf(const Report& r, const std::string& path, const std::string& footer) {
    QSaveFile file(QString::fromUtf8(path.data(), qsizetype(path.size())));
    if (!file.open(QIODevice::WriteOnly)) return diagram::writeFailedText(path);
    {
        QPdfWriter w(&file);
        w.setResolution(kPdfResolution);
        w.setPageLayout(layoutOf(!r.pages.empty() && r.pages[0].landscape));
        w.setTitle(QString::fromStdString(std::string(kReportHeading) + " — " + r.objectName));
        w.setCreator("Конфигуратор ДК «Ливра»");
        QPainter p;
        if (!p.begin(&w)) return diagram::writeFailedText(path);
        diagram::TextCache texts;
        for (std::size_t i = 0; i < r.pages.size(); ++i) {
            if (i > 0) {
                // The layout of the page to come is set before it is begun.
                w.setPageLayout(layoutOf(r.pages[i].landscape));
                w.newPage();
            }
            p.save();
            p.scale(kPdfScale, kPdfScale);
            paintReportPage(p, r, int(i), footer, &texts);
            p.restore();
        }
        p.end();
    }
    if (!file.commit()) return diagram::writeFailedText(path);
    return {};
}

QImage reportPageImage(const Report& r, int page, const std::string& footer, double scale) {
    const QSizeF size = pageSize(r, page) * scale;
    QImage img(size.toSize(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter p(&img);
    p.scale(scale, scale);
    paintReportPage(p, r, page, footer);
    return img;
}

}  // namespace livra::report
