#include "ui/plan/plan_surface.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/user_dialogs.h"
#include "pictures/pictures.h"
#include "plan/png_image.h"
#include "ui/plan/rgba_qimage.h"
#include "ui/texts.h"

namespace livra::ui {
namespace {

// The built-in head pictures with their white background made transparent,
// converted once: every head of every size is drawn from these.
struct HeadImages {
    std::array<QImage, 5> vehicle;
    std::array<QImage, 3> pedestrian;
    std::array<QImage, 4> section;
    std::array<QImage, 9> tram;
};

QImage whiteTransparent(const QImage& source) {
    QImage img = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == 0xFFFFFF) line[x] = 0;
    }
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

const HeadImages& headImages() {
    static const HeadImages images = [] {
        const auto& b = pictures::builtInPictures();
        HeadImages h;
        for (std::size_t i = 0; i < h.vehicle.size(); ++i) h.vehicle[i] = whiteTransparent(b.vehicleHead[i]);
        for (std::size_t i = 0; i < h.pedestrian.size(); ++i) h.pedestrian[i] = whiteTransparent(b.pedestrianHead[i]);
        for (std::size_t i = 0; i < h.section.size(); ++i) h.section[i] = whiteTransparent(b.sectionHead[i]);
        for (std::size_t i = 0; i < h.tram.size(); ++i) h.tram[i] = whiteTransparent(b.tramHead[i]);
        return h;
    }();
    return images;
}

const QImage* imageOf(HeadPicture p) {
    const HeadImages& h = headImages();
    auto pick = [&](const auto& set) -> const QImage* { return p.index < set.size() ? &set[p.index] : nullptr; };
    switch (p.set) {
    case HeadPictureSet::Vehicle: return pick(h.vehicle);
    case HeadPictureSet::Pedestrian: return pick(h.pedestrian);
    case HeadPictureSet::Section: return pick(h.section);
    case HeadPictureSet::Tram: return pick(h.tram);
    }
    return nullptr;
}

bool insidePlanArea(QPointF pos) {
    return pos.x() > 5 && pos.x() < PlanSurfaceSize - 5 && pos.y() > 5 && pos.y() < PlanSurfaceSize - 5;
}

const QColor kBackground(0, 0, 125);
const QColor kHighlight(0, 0, 255, 100);

}  // namespace

PlanSurface::PlanSurface(Plan& plan, const Configuration& config, QWidget* parent)
    : QWidget(parent), plan_(plan), c_(config) {
    setObjectName("planSurface");
    setFixedSize(PlanSurfaceSize, PlanSurfaceSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);  // hovering needs moves without a button
}

void PlanSurface::setPlanPicture(const QImage& picture) {
    planPicture_ = picture;
    planPictureScaled_ = QImage();
    if (!picture.isNull()) {
        // An opaque picture is copied, not blended, on every frame.
        const auto format = picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
        planPictureScaled_ = picture.scaled(PlanSurfaceSize, PlanSurfaceSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                 .convertToFormat(format);
    }
    update();
}

bool PlanSurface::loadPlanPictureFile(const std::string& path) {
    // The name comes from a plan file that may have travelled: decoded with
    // the core's limits, and a refused picture leaves the old one.
    PngResult decoded = readPngFile(pathFromUtf8(path), {PlanSurfaceSize, PlanSurfaceSize});
    if (!decoded.ok()) return false;
    setPlanPicture(toQImage(std::move(decoded.image)));
    return true;
}

void PlanSurface::drawPlanObjects(int mode) {
    blinkPhase_ = nextBlinkPhase(blinkPhase_);
    choosePictures(mode == 1 ? PlanDrawMode::Reset : PlanDrawMode::Blink);
}

void PlanSurface::showHandedSignals() { choosePictures(PlanDrawMode::Blink); }

void PlanSurface::choosePictures(PlanDrawMode mode) {
    for (const PlanObject& o : plan_.planObjects) {
        if (!o.isHead() || o.kind < 1 || o.kind > 9) continue;
        if (const auto p = chooseHeadPicture(o.kind, o.signal, blinkPhase_, mode)) pictures_[o.id] = *p;
    }
    update();
}

std::optional<HeadPicture> PlanSurface::headPicture(int32_t id) const {
    const PlanObject* o = findObject(plan_, id);
    if (!o || !o->isHead() || o->direction > DirectionCount) return std::nullopt;
    const auto dark = darkHeadPicture(c_.DirectionKind[o->direction - 1]);
    if (!dark) return std::nullopt;
    if (auto it = pictures_.find(id); it != pictures_.end() && it->second.set == dark->set) return it->second;
    return dark;
}

void PlanSurface::setHighlighted(std::vector<int32_t> ids) {
    if (ids == highlighted_) return;
    highlighted_ = std::move(ids);
    update();
}

const QImage& PlanSurface::labelImage(const PlanObject& o) {
    LabelPicture& l = labels_[o.id];
    if (l.image.isNull() || l.text != o.text) {
        // Black text in "Arial" of half the label's height, on transparent,
        // with a white halo: the plain plan background is dark blue, and a
        // plan picture may be dark too.
        l.text = o.text;
        l.image = QImage(std::max(o.baseWidth, 1), std::max(o.baseHeight, 1), QImage::Format_ARGB32_Premultiplied);
        l.image.fill(Qt::transparent);
        QPainter p(&l.image);
        QFont f("Arial");
        f.setPixelSize(std::max(o.baseHeight / 2, 1));
        p.setFont(f);
        const QString text = QString::fromStdString(o.text);
        const QRect box = l.image.rect();
        // The halo: the text in white one pixel off in every direction, the
        // black text (as crisp as ever) over it.
        p.setPen(Qt::white);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (dx || dy) p.drawText(box.translated(dx + 1, dy), Qt::AlignLeft | Qt::AlignVCenter, text);
        p.setPen(Qt::black);
        p.drawText(box.translated(1, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    return l.image;
}

const QImage* PlanSurface::sourceFor(const PlanObject& o) {
    if (o.isLabel()) return &labelImage(o);
    if (!o.isHead() || o.direction > DirectionCount) return nullptr;
    const auto dark = darkHeadPicture(c_.DirectionKind[o.direction - 1]);
    if (!dark) return nullptr;
    // A head mounted under the id of a demounted one of another kind starts
    // dark, not with the other kind's picture.
    auto it = pictures_.find(o.id);
    if (it == pictures_.end() || it->second.set != dark->set) it = pictures_.insert_or_assign(o.id, *dark).first;
    return imageOf(it->second);
}

void PlanSurface::render(QPainter& p) {
    if (planPictureScaled_.isNull() || planPictureScaled_.hasAlphaChannel())
        p.fillRect(QRect(0, 0, PlanSurfaceSize, PlanSurfaceSize), kBackground);
    if (!planPictureScaled_.isNull()) p.drawImage(0, 0, planPictureScaled_);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const PlanObject& o : plan_.planObjects) {
        if (o.id == PlanPictureObjectId || o.id == PointerProbeId || o.intensity <= 0) continue;
        const QImage* source = sourceFor(o);
        if (!source) continue;
        const qreal w = std::round(o.width), h = std::round(o.height);
        // Rotation about the centre of the object's place, as a sprite turns.
        QTransform t;
        t.translate(o.x + w / 2, o.y + h / 2);
        t.rotate(o.angle);
        t.translate(-w / 2, -h / 2);
        p.setTransform(t);
        p.setOpacity(std::min(o.intensity, 255) / 255.0);
        const QRectF place(0, 0, w, h);
        p.drawImage(place, *source);
        if (std::find(highlighted_.begin(), highlighted_.end(), o.id) != highlighted_.end())
            p.fillRect(place, kHighlight);
    }
    p.resetTransform();
    p.setOpacity(1.0);
}

QImage PlanSurface::renderToImage() {
    QImage frame(PlanSurfaceSize, PlanSurfaceSize, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&frame);
    render(p);
    return frame;
}

void PlanSurface::setMissingPictureNote(const QString& note) {
    missingNote_ = note;
    update();
}

void PlanSurface::paintEvent(QPaintEvent*) {
    QPainter p(this);
    render(p);
    if (!missingNote_.isEmpty() && planPictureScaled_.isNull()) {
        p.setPen(QColor(140, 0, 0));
        p.drawText(QRect(20, 20, PlanSurfaceSize - 40, 80), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                   missingNote_);
    }
}

void PlanSurface::mousePressEvent(QMouseEvent* e) {
    if (ignoreUntilRelease_) return;
    if (!editingAllowed_) {
        const bool button = e->button() == Qt::LeftButton || e->button() == Qt::RightButton;
        if (!button || !insidePlanArea(e->position())) return;
        // The release of this press must not reach an editor that has been
        // allowed again meanwhile; nothing waits for it.
        ignoreUntilRelease_ = true;
        if (dialogs_) dialogs_->messageBox(kWarningMarkTitle, kRunningEditText, Buttons::Ok, Icon::Exclamation);
        if (QGuiApplication::mouseButtons() == Qt::NoButton) ignoreUntilRelease_ = false;
        return;
    }
    if (input_) input_->mousePress(e);
}

void PlanSurface::mouseMoveEvent(QMouseEvent* e) {
    if (ignoreUntilRelease_ || !editingAllowed_) return;
    if (input_) input_->mouseMove(e);
}

void PlanSurface::mouseReleaseEvent(QMouseEvent* e) {
    if (ignoreUntilRelease_) {
        ignoreUntilRelease_ = false;
        return;
    }
    if (!editingAllowed_) return;
    if (input_) input_->mouseRelease(e);
}

void PlanSurface::wheelEvent(QWheelEvent* e) {
    if (ignoreUntilRelease_ || !editingAllowed_) return;
    if (input_) input_->wheel(e);
}

}  // namespace livra::ui
