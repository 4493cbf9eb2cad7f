#pragma once
// The capture options the user sets in the "設定" popup and "User.xml" keeps.
struct CaptureOptions {
    bool drawPointer = true; // the pointer goes into a screen capture
    bool takeCopies = true;  // other programs' copies are taken in too
    int reductionCode = 0;   // depth code the colours of a capture are reduced to; 0 keeps them

    friend bool operator==(const CaptureOptions&, const CaptureOptions&) = default;
};
