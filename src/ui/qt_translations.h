#pragma once
// Qt's own texts (file dialogs, standard buttons, context menus of the input
// fields) in Russian, like the rest of the program.
class QCoreApplication;

namespace livra::ui {

// Installs Qt's Russian translations from Qt's translations folder or, for a
// deployed program, the "translations" folder beside it. False when none was
// found (Qt's texts stay English).
bool installQtTranslations(QCoreApplication& app);

}  // namespace livra::ui
