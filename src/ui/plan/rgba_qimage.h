#pragma once
// Between the core's RGBA pictures and QImage, without copying the pixels
// where it can be avoided (plan pictures may be 8192 × 8192).
#include <QImage>

#include "plan/png_image.h"

namespace livra::ui {

// Takes the pixels over; the QImage owns them afterwards.
QImage toQImage(RgbaImage&& image);
RgbaImage toRgbaImage(const QImage& image);

}  // namespace livra::ui
