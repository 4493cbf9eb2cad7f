#pragma once
#include "core/Messages.h"
#include "core/NoticeLog.h"

#include <QPointer>

class QMessageBox;

// Message boxes with the program's title; notices gather in one box that does not
// wait for the user.
class QtMessageSink : public MessageSink {
public:
    ~QtMessageSink() override;
    Answer ask(const QString& text, Buttons buttons = Buttons::Ok) override;
    Answer askToSave(const QString& text) override;
    void notice(const QString& text) override;
    QString openFileName(const QString& title, const QString& filters) override;
    QString saveFileName(const QString& filters, QString* selectedFilter) override;
    bool choosePrinter(QPrinter& printer) override;

private:
    QPointer<QMessageBox> m_notice;
    NoticeLog m_log;
};
