#pragma once
// The report as an A4 PDF file, each page in its own orientation; replaced
// atomically. An empty text on success, the user's message otherwise.
#include <QImage>
#include <string>

#include "report/report.h"

namespace livra::report {

std::string writeReportPdf(const Report& r, const std::string& path, const std::string& footer);

// A page as a picture at `scale` × the logical size (for looking at it).
QImage reportPageImage(const Report& r, int page, const std::string& footer, double scale = 1);

}  // namespace livra::report
