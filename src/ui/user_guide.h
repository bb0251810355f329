#pragma once
// The user guide (HTML) that "Справка" opens when there is no compiled help
// file: shipped beside the program on Windows, installed under share/doc on
// Linux, or taken from the source tree when the program runs from its build
// folder.
#include <QString>
#include <QStringList>

namespace livra::ui {

// The places looked at, most specific first (each an index.html).
QStringList userGuideCandidates();
// The first candidate that exists; empty when none does.
QString findUserGuide();

}  // namespace livra::ui
