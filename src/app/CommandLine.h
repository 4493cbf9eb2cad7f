#pragma once
// The command line: `tolvik [--capture screen|window|region [--delay SECONDS]]`, --help,
// --version and --autostart on|off. A later start hands its request to the running instance as the
// same words.
#include "platform/ScreenGrab.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

struct CommandLine {
    enum class Action { Start, Help, Version, Autostart, Error };
    Action action = Action::Start;
    bool autostartOn = false; // for Autostart: on or off
    std::optional<platform::CaptureKind> capture;
    int delayMs = 0;
    QString error;        // for Error: what was wrong, in words
    bool unknown = false; // the error is an argument not ours (it may be one of Qt's)

    // What the running instance is asked: the capture in the same words, or nothing (raise
    // your window).
    QByteArray request() const;
};

// arguments[0] is the program; Qt's own options are already taken out.
CommandLine parseCommandLine(const QStringList& arguments);
// A request a later start sent; Error for anything else.
CommandLine parseRequest(const QByteArray& request);

QString usageText(const QString& programName);
QString versionText(const QString& programName);
