#pragma once
// The printer settings kept between prints in "IkPrn.Ik" in the user data folder: printer
// (or PDF file), paper, orientation and resolution, and whether the last print with them
// failed, one "key=value" a line in UTF-8.
#include <QString>

#include <optional>

class QPrinter;

struct PrinterSettings {
    QString printer;    // the queue's name; empty when printing to a file
    QString outputFile; // a PDF file printed to instead of a printer
    QString paper;      // QPageSize's key ("A4", "Letter")
    bool landscape = false;
    int resolution = 0;  // dots per inch; 0 leaves the printer's own
    bool failed = false; // the last print with these failed: the dialog is shown first

    // Reads a file; nothing when it is missing, unreadable or names neither a printer nor
    // a file.
    static std::optional<PrinterSettings> load(const QString& path);
    // Replaces the file whole; a full disk leaves the old one.
    bool save(const QString& path) const;

    static PrinterSettings of(const QPrinter& printer);
    // Sets the printer up; false when the named printer is gone (the dialog is then asked).
    bool applyTo(QPrinter& target) const;
};
