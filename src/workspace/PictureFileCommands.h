#pragma once
// The commands on picture files: showing a file of the work folder, opening, saving over the
// current file or under a new name, printing; and the question that keeps unsaved edits
// from being lost.
#include "imaging/PictureFiles.h"

#include <QObject>
#include <QString>

#include <functional>

class MessageSink;
class OperationRegistry;
class PictureSession;

class PictureFileCommands : public QObject {
    Q_OBJECT
public:
    PictureFileCommands(PictureSession& session, MessageSink& messages,
                        OperationRegistry& operations, const QString& userDataFolder);

    // Shows a text or a picture file; read and decoded off the window's thread. A picture
    // that does not load leaves the one shown and the current file alone.
    void showFile(const QString& path);
    void open();
    // Saves over the current file, or under a name the user gives (saveAs, or no current
    // file); then runs after a successful save, notSaved after a cancel or a failure.
    void save(bool saveAs, std::function<void()> then = {}, std::function<void()> notSaved = {});
    // setup: "印刷設定", which always shows the print dialog; otherwise "印刷".
    void print(bool setup);

    // Runs proceed once the edits asked for are done and none would be lost: at once when the
    // picture matches its file, otherwise after the user saved it or chose to discard the
    // edits; never when the user cancels or the save fails (kept is run then).
    void whenEditsSettled(std::function<void()> proceed, std::function<void()> kept = {});

private:
    void saved(const imaging::SaveResult& result, quint64 state, bool overCurrentFile);
    void printNow(bool setup);
    // Reads a picture file (on the worker); what to do with it on the window's thread.
    std::function<void()> pictureLoaded(const QString& path);

    PictureSession& m_session;
    MessageSink& m_messages;
    QString m_userDataFolder;
};
