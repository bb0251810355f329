// Loading a 4000 × 4000 plan picture: the bounded PNG decoding (reduced to
// the plan's 500 × 500 as it is decoded) alone, and
// (in the desktop build) the whole load as the plan surface does it, decoded
// and stretched to 500 × 500. Two kinds of picture: a drawn plan (large flat
// areas, what plan pictures usually are) and a photograph-like one whose
// pixels hardly compress (the worst case).
#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <sys/resource.h>

#include "plan/png_image.h"
#include "support/png_fixtures.h"
#include "support/test_support.h"

#if __has_include(<QImage>) && __has_include("ui/plan/rgba_qimage.h")
#include <QImage>

#include "ui/plan/rgba_qimage.h"
#define LIVRA_BENCH_QIMAGE 1
#endif

using namespace livra;

namespace {

constexpr int Side = 4000;

RgbaImage drawnPlan() {
    RgbaImage img{Side, Side, std::vector<uint8_t>(std::size_t(Side) * Side * 4)};
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x) {
            uint8_t* p = &img.rgba[(std::size_t(y) * Side + x) * 4];
            const bool road = (x > 1400 && x < 2600) || (y > 1400 && y < 2600);
            const bool marking = (x == 2000 || y == 2000) && (x + y) / 40 % 2 == 0;
            const bool zebra = road && ((y > 1250 && y < 1400) || (y > 2600 && y < 2750)) && x / 60 % 2 == 0;
            const uint8_t grey = marking || zebra ? 255 : 90;
            p[0] = road ? grey : 120;
            p[1] = road ? grey : 170;
            p[2] = road ? grey : 90;
            p[3] = 255;
        }
    return img;
}

RgbaImage photoLike() {
    RgbaImage img = drawnPlan();
    std::mt19937 noise(7);
    for (std::size_t i = 0; i < img.rgba.size(); ++i)
        if (i % 4 != 3) img.rgba[i] = uint8_t(img.rgba[i] + int(noise() % 24) - 12);
    return img;
}

const std::filesystem::path& pictureFile(bool photo) {
    static test::TempDir dir;
    static const std::filesystem::path drawn = [] {
        test::writeBytes(dir / "drawn.png", test::encodePng(drawnPlan()));
        return dir / "drawn.png";
    }();
    static const std::filesystem::path noisy = [] {
        test::writeBytes(dir / "photo.png", test::encodePng(photoLike()));
        return dir / "photo.png";
    }();
    return photo ? noisy : drawn;
}

void BM_DecodePlanPicture4000(benchmark::State& state) {
    const auto& file = pictureFile(state.range(0) != 0);
    state.counters["file_MB"] = double(std::filesystem::file_size(file)) / 1e6;
    for (auto _ : state) {
        PngResult r = readPngFile(file, {500, 500});
        if (!r.ok()) state.SkipWithError("not decoded");
        benchmark::DoNotOptimize(r.image.rgba.data());
    }
}
BENCHMARK(BM_DecodePlanPicture4000)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

#ifdef LIVRA_BENCH_QIMAGE
// What PlanSurface::loadPlanPictureFile and setPlanPicture do.
void BM_LoadPlanPictureToSurface4000(benchmark::State& state) {
    const auto& file = pictureFile(state.range(0) != 0);
    for (auto _ : state) {
        PngResult r = readPngFile(file, {500, 500});
        const QImage picture = ui::toQImage(std::move(r.image));
        const QImage shown = picture.scaled(500, 500, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                 .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        benchmark::DoNotOptimize(shown.constBits());
    }
}
BENCHMARK(BM_LoadPlanPictureToSurface4000)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same load beside Qt's own (QImage reads the whole file, then a smooth
// scale to 500 × 500), timed in turn within each iteration so that both meet
// the same machine load. The time shown is ours; "qt_ms" is Qt's, "ratio"
// ours / Qt's (the goal: at most 0.8).
void BM_PlanPictureAgainstQt4000(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const auto& file = pictureFile(state.range(0) != 0);
    const QString name = QString::fromStdString(file.string());
    double ours = 0, qt = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        PngResult r = readPngFile(file, {500, 500});
        const QImage shown = ui::toQImage(std::move(r.image))
                                 .scaled(500, 500, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                 .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        benchmark::DoNotOptimize(shown.constBits());
        const auto t1 = Clock::now();
        const QImage theirs = QImage(name)
                                  .scaled(500, 500, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                  .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        benchmark::DoNotOptimize(theirs.constBits());
        const auto t2 = Clock::now();
        if (shown.isNull() || theirs.isNull()) state.SkipWithError("not decoded");
        const double a = std::chrono::duration<double>(t1 - t0).count();
        ours += a;
        qt += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(a);
    }
    state.counters["file_MB"] = double(std::filesystem::file_size(file)) / 1e6;
    state.counters["qt_ms"] = qt * 1e3 / double(state.iterations());
    state.counters["ratio"] = qt > 0 ? ours / qt : 0;
}
BENCHMARK(BM_PlanPictureAgainstQt4000)->Arg(0)->Arg(1)->ArgName("photo")->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
#endif

// The picture bomb: 990 bytes whose text chunk after the pixels claims
// 1.2 GB. Goal: refused or decoded within 100 ms and 64 MB; the peak resident
// memory of the whole benchmark program is reported beside the time.
void BM_DecodePictureBomb(benchmark::State& state) {
    Bytes png = test::encodePng(test::patternImage(16, 12));
    png.resize(test::chunkAt(png, "IEND") - 4);
    const Bytes claim = {0x47, 0x86, 0x8C, 0x00, 't', 'E', 'X', 't', 'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
    png.insert(png.end(), claim.begin(), claim.end());
    png.resize(990, 'A');
    for (auto _ : state) benchmark::DoNotOptimize(decodePng(png, PngFit{500, 500}));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_DecodePictureBomb)->Unit(benchmark::kMicrosecond);

}  // namespace
