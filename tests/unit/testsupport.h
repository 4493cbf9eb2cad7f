#pragma once
// Shared helpers of the unit tests.
#include "core/Messages.h"

#include <QStringList>

#include <functional>

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
    // The answer to "save the changes?"; discarding is what a sink without dialogs does.
    Answer saveChoice = Answer::Discard;
    Answer askToSave(const QString& text) override {
        asked << text;
        return saveChoice;
    }

    // Dialog answers, and the dialogs shown ("open TITLE", "save", "printer").
    QStringList dialogs;
    QString openAnswer, saveAnswer;
    QString saveFilterAnswer; // the file type picked; empty leaves the dialog's own
    QString saveFilters;      // what the last save dialog offered
    std::function<bool(QPrinter&)> printerAnswer = [](QPrinter&) { return false; };
    QString openFileName(const QString& title, const QString&) override {
        dialogs << QStringLiteral("open ") + title;
        return openAnswer;
    }
    QString saveFileName(const QString& filters, QString* selectedFilter) override {
        dialogs << QStringLiteral("save");
        saveFilters = filters;
        if (selectedFilter && !saveFilterAnswer.isEmpty())
            *selectedFilter = saveFilterAnswer;
        return saveAnswer;
    }
    bool choosePrinter(QPrinter& printer) override {
        dialogs << QStringLiteral("printer");
        return printerAnswer(printer);
    }
};
