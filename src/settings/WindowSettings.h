#pragma once
// The main window's settings in "User.xml": geometry in twips, scale display, the
// registered range list and the capture options.
#include <QString>

class fmMain;
class yIni;

// Reads the file into the window; called while the window loads.
void LoadWindowSettings(fmMain& w, yIni& ini, const QString& file);

// Writes the window's settings into the loaded document and the file; false when the
// file could not be written.
bool WriteWindowSettings(fmMain& w, yIni& ini);

// "取込" / "取込まない" as stored for the two capture options.
QString optionText(bool on);
