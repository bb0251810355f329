#pragma once
// The crossroad shipped in examples/, and a main window that has it open as
// "Открыть" leaves it, for the tests that start from a real project.
#include <filesystem>
#include <memory>

#include "model/project_file.h"
#include "support/test_support.h"
#include "window_parts.h"

namespace livra::uitest {

inline std::unique_ptr<Configuration> sampleCrossroad() {
    auto parsed = parseProject(livra::test::readBytes(
        std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path() / "examples" / "crossroad.ptm"));
    EXPECT_TRUE(parsed);
    return parsed ? std::move(parsed->config) : std::make_unique<Configuration>();
}

// The window is shown; its working folder is a scratch folder, where a named
// project also has its file name.
struct SampleWindow {
    enum Name { Named, Unnamed };
    livra::test::TempDir dir;
    std::unique_ptr<Configuration> c = sampleCrossroad();
    std::unique_ptr<ui::MainWindow> window;

    explicit SampleWindow(Name name = Named) {
        c->ProgramDir = pathToUtf8(dir.path()) + "/";
        if (name == Named) c->ProjectFileName = pathToUtf8(dir / "crossroad.ptm");
        else c->ProjectFileName.clear();
        window = std::make_unique<ui::MainWindow>(*c, nullptr);
        window->configurationReplaced();
        window->show();
    }
};

}  // namespace livra::uitest
