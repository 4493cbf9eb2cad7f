#pragma once
// The main window's settings in "User.xml" as a plain value: geometry in twips, scale
// display, the registered range list and the capture options.
#include "capture/CaptureOptions.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class yIni;

struct WindowSettingsValue {
    // Frame position and client size, in twips as the file keeps them.
    QRect geometry;
    // Stored as 1; anything else read is off, and off is stored as 3.
    bool scaleDisplay = true;
    // As stored; the window keeps only the valid entries.
    QString rangeList;
    CaptureOptions capture;

    friend bool operator==(const WindowSettingsValue&, const WindowSettingsValue&) = default;
};

// Where a loaded window may go, in pixels: the screens' available areas, the primary one
// first, and the window's size and smallest size before anything is loaded.
struct WindowRoom {
    QList<QRect> screens;
    QSize size;
    QSize minimumSize;
};

// Reads the file; a missing file is created empty and gives the first-run values, an
// unreadable one the designed values. A geometry that is damaged or on no screen any more
// becomes the centre of the primary screen.
WindowSettingsValue LoadWindowSettings(yIni& ini, const QString& file, const WindowRoom& room);

// Writes the value into the loaded document and the file; false when the file could not
// be written.
bool WriteWindowSettings(const WindowSettingsValue& value, yIni& ini);

// "取込" / "取込まない" as stored for the two capture options.
QString optionText(bool on);
