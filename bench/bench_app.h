#pragma once
// The one QApplication of the benchmark program, offscreen unless the caller
// chose a platform; whichever Qt benchmark runs first starts it.
#include <QApplication>
#include <cstdlib>

namespace livra::bench {

inline QApplication& benchApplication() {
    if (auto* running = qobject_cast<QApplication*>(QCoreApplication::instance())) return *running;
    static int argc = 1;
    static char name[] = "livra_bench";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Never destroyed: a QApplication torn down among the exit handlers runs
    // its clean-up routines after the Qt globals they use are gone.
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

}  // namespace livra::bench
