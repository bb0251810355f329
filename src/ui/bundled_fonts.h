#pragma once
// The windows draw with "Arial". Where the system has none (wine, a stripped
// Windows) the fonts shipped in lib/fonts beside the program stand in for it.

namespace livra::ui {

// Registers lib/fonts/*.ttf of the program's folder and lets "Liberation
// Sans" answer for "Arial" when the system lacks Arial; true when it did.
// Call once a QGuiApplication exists.
bool useBundledFontsWhereArialIsMissing();

}  // namespace livra::ui
