#pragma once
// Shared helpers of the unit tests.
#include "core/Messages.h"

#include <QStringList>

// Records every message instead of showing it; answers with a preset answer.
class RecordingMessages : public MessageSink {
public:
    QStringList asked;
    QStringList notices;
    Answer answer = Answer::Ok;

    Answer ask(const QString& text, Buttons = Buttons::Ok) override {
        asked << text;
        return answer;
    }
    void notice(const QString& text) override { notices << text; }
};
