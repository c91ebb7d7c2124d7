#pragma once
// Set-up of the UI layer: the program folder, the skin folder the skins,
// images and style sheet are read from, and the application style.
//
// Threads: UI thread, once the QApplication exists and before the first
// window is created.
#include <QString>

namespace ui {

// The program folder, ending in "/".
QString instancePath();

// The skin folder (a "/" is appended when missing). Paths of the form
// "skin:images/x.svg" (style sheets) resolve inside it.
void setResourcePath(const QString& folder);
QString resourcePath();

// Applies the style sheet file of the skin folder to the whole application;
// false when it cannot be read (the application keeps its style).
bool loadStyleSheet(const QString& fileName);

// The application style: Fusion, with sliders that jump to the clicked point.
void installStyle();

// Both of the above with the program folder's skin: what the program does at start.
void setupUiLibrary();

}  // namespace ui
