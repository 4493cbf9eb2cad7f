#pragma once
// Every message the user sees goes through this interface, so that the paths that
// show one can be tested without a screen.
#include <QString>

class MessageSink {
public:
    enum class Buttons { Ok, OkCancel };
    enum class Answer { Ok, Cancel };

    virtual ~MessageSink() = default;

    // A modal box with the program's title; Cancel only for OkCancel.
    virtual Answer ask(const QString& text, Buttons buttons = Buttons::Ok) = 0;
    // A notice that does not wait for the user, so later captures are not held up.
    virtual void notice(const QString& text) = 0;
};
