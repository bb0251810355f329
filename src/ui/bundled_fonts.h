#pragma once
// The windows draw with "Arial". Where the system has none (wine, a stripped
// Windows) the fonts shipped in lib/fonts beside the program stand in for it.

class QApplication;

namespace livra::ui {

// Registers lib/fonts/*.ttf of the program's folder and lets "Liberation
// Sans" answer for "Arial" when the system lacks Arial; true when it did.
// Call once a QGuiApplication exists.
bool useBundledFontsWhereArialIsMissing();

// The look every window of the program has: the Fusion style and Arial at
// 11 pixels (the bundled stand-in where Arial is missing). The program and
// its tests draw alike.
void applyProgramLook(QApplication& app);

}  // namespace livra::ui
