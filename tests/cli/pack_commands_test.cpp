#include <gtest/gtest.h>

#include "format/zip_archive.h"
#include "model/project_file.h"
#include "support/test_support.h"

namespace livra {
namespace {

using test::runLivra;

TEST(PackCommands, PackAndUnpackCarryTheProjectWholeAndRefuseADamagedArchive) {
    test::TempDir dir;
    auto c = test::sampleConfiguration();
    Bytes plan = {'p', 'l', 'a', 'n', '.', 'p', 'n', 'g', '\r', '\n'};
    const Bytes ptm = serializeProject(*c, plan);
    std::filesystem::create_directories(dir / "p" / "shem");
    test::writeBytes(dir / "p" / "x.ptm", ptm);
    test::writeBytes(dir / "p" / "x.safety.json", Bytes{'{', '}'});
    test::writeBytes(dir / "p" / "shem" / "plan.png", Bytes{1, 2, 3, 4});

    const std::string zip = pathToUtf8(dir / "x.zip");
    auto packed = runLivra({"pack", pathToUtf8(dir / "p" / "x.ptm"), "--out", zip}, dir / "work");
    EXPECT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_EQ(packed.out, "x.ptm\nx.safety.json\nshem/plan.png\n");

    auto unpacked = runLivra({"unpack", zip, "--out", pathToUtf8(dir / "u")}, dir / "work");
    EXPECT_EQ(unpacked.exitCode, 0) << unpacked.err;
    EXPECT_EQ(test::readBytes(dir / "u" / "x.ptm"), ptm);
    EXPECT_EQ(test::readBytes(dir / "u" / "x.safety.json"), (Bytes{'{', '}'}));
    EXPECT_EQ(test::readBytes(dir / "u" / "shem" / "plan.png"), (Bytes{1, 2, 3, 4}));

    // A picture found nowhere: said on stderr, the rest packed.
    std::filesystem::remove(dir / "p" / "shem" / "plan.png");
    auto alone = runLivra({"pack", pathToUtf8(dir / "p" / "x.ptm"), "--out", pathToUtf8(dir / "y.zip")}, dir / "work");
    EXPECT_EQ(alone.exitCode, 0);
    EXPECT_EQ(alone.out, "x.ptm\nx.safety.json\n");
    EXPECT_EQ(alone.err, "Не найден рисунок плана перекрестка plan.png\n");

    // One bit wrong: refused, exit 1, the target folder not even made.
    Bytes damaged = test::readBytes(dir / "x.zip");
    damaged[damaged.size() - 22 - 3 * 46 - 5 - 13 - 13 - 2] ^= 0x40;  // inside the picture's data
    test::writeBytes(dir / "bad.zip", damaged);
    auto refused = runLivra({"unpack", pathToUtf8(dir / "bad.zip"), "--out", pathToUtf8(dir / "v")}, dir / "work");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "Контрольная сумма не совпадает (shem/plan.png)\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "v"));

    // Usage.
    EXPECT_EQ(runLivra({"pack", pathToUtf8(dir / "p" / "x.ptm")}).exitCode, 2);
    EXPECT_EQ(runLivra({"unpack", zip}).exitCode, 2);
}

}  // namespace
}  // namespace livra
