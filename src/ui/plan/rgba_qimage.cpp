#include "ui/plan/rgba_qimage.h"

#include <cstring>

namespace livra::ui {

QImage toQImage(RgbaImage&& image) {
    if (image.empty() || image.rgba.size() != std::size_t(image.width) * std::size_t(image.height) * 4) return {};
    auto* owned = new std::vector<uint8_t>(std::move(image.rgba));
    return QImage(
        owned->data(), image.width, image.height, qsizetype(image.width) * 4, QImage::Format_RGBA8888,
        [](void* p) { delete static_cast<std::vector<uint8_t>*>(p); }, owned);
}

RgbaImage toRgbaImage(const QImage& image) {
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    RgbaImage out{rgba.width(), rgba.height(), std::vector<uint8_t>(std::size_t(rgba.width()) * rgba.height() * 4)};
    for (int y = 0; y < rgba.height(); ++y)
        std::memcpy(out.rgba.data() + std::size_t(y) * rgba.width() * 4, rgba.constScanLine(y), std::size_t(rgba.width()) * 4);
    return out;
}

}  // namespace livra::ui
