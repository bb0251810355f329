#include <benchmark/benchmark.h>

#include "image/image.h"
#include "model/files.h"
#include "support/test_support.h"

using namespace livra;

// The ten part files of the largest image, replaced as one set (ten
// temporary files flushed to the disk, then ten renames): the cost a write
// to the controller pays before its first frame.
static void BM_WriteImagePartsTogether(benchmark::State& state) {
    test::TempDir dir;
    const ImageFiles image = encodeImage(*test::fullConfiguration());
    for (auto _ : state) {
        if (!writeImageParts(dir.path(), image)) state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_WriteImagePartsTogether)->Unit(benchmark::kMillisecond);

// A whole project file read in bounded chunks.
static void BM_ReadWholeProjectFile(benchmark::State& state) {
    test::TempDir dir;
    const Bytes bytes(427824, 0x5A);  // the size of every project without a plan
    test::writeBytes(dir / "p.ptm", bytes);
    for (auto _ : state) {
        auto read = readWholeFile(dir / "p.ptm", kMaxProjectFileSize);
        if (!read) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(BM_ReadWholeProjectFile)->Unit(benchmark::kMicrosecond);
