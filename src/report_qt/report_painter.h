#pragma once
// Draws the report's pages with QPainter, for the PDF and the pictures of its
// pages alike. Needs a QGuiApplication.
#include <QPainter>
#include <QSizeF>
#include <string>

#include "diagram_qt/text_cache.h"
#include "report/report.h"

namespace livra::report {

// A page's size in logical pixels (landscape pages are wider than high).
QSizeF pageSize(const Report& r, int page);

// One page (0-based): its blocks, then the footer with the report's own
// line, `footer` after it, and "Лист N из M". Texts are laid out in `text`
// when given, so the pages of one report share their layouts.
void paintReportPage(QPainter& p, const Report& r, int page, const std::string& footer,
                     diagram::TextCache* text = nullptr);

}  // namespace livra::report
