#pragma once
// Every message the user sees goes through this interface, so that the paths that
// show one can be tested without a screen.
#include <QString>

class QPrinter;

class MessageSink {
public:
    enum class Buttons { Ok, OkCancel };
    enum class Answer { Ok, Cancel, Save, Discard };

    virtual ~MessageSink() = default;

    // A modal box with the program's title; Cancel only for OkCancel.
    virtual Answer ask(const QString& text, Buttons buttons = Buttons::Ok) = 0;
    // Asks whether to save changes before they would be lost: Save, Discard or Cancel. A sink
    // without dialogs discards, as the program did before it asked.
    virtual Answer askToSave(const QString& text) {
        (void)text;
        return Answer::Discard;
    }
    // A notice that does not wait for the user, so later captures are not held up.
    virtual void notice(const QString& text) = 0;

    // The file and print dialogs, modal over the main window. An empty path, or false, is
    // a cancel; a sink without dialogs (tests, benchmarks) cancels every one.
    // filters: Qt's form, "画像ﾌｧｲﾙ (*.bmp *.png)", several joined by ";;".
    virtual QString openFileName(const QString& title, const QString& filters) {
        (void)title, (void)filters;
        return {};
    }
    // The file type picked goes to *selectedFilter (one of filters); the dialog does not ask
    // about replacing a file, since the name it returns may still get an extension.
    virtual QString saveFileName(const QString& filters, QString* selectedFilter) {
        (void)filters, (void)selectedFilter;
        return {};
    }
    // Lets the user pick the printer, paper and orientation on printer.
    virtual bool choosePrinter(QPrinter& printer) {
        (void)printer;
        return false;
    }
};
