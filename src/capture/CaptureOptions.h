#pragma once
// The capture options the user sets in the "設定" popup and "User.xml" keeps.
#include <QString>

struct CaptureOptions {
    bool drawPointer = true; // the pointer goes into a screen capture
    bool takeCopies = true;  // other programs' copies are taken in too
    QString colourReduction = QStringLiteral("減色しない"); // the caption of the chosen item

    friend bool operator==(const CaptureOptions&, const CaptureOptions&) = default;
};
