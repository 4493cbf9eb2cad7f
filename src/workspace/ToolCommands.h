#pragma once
// The sibling tools on the current file (Marlo) and on the work folder (Pirra), and the help
// page. A tool's path is looked up once per run, through the finder.
#include <QObject>
#include <QString>

#include <functional>

class MessageSink;
class OperationRegistry;
class PictureSession;
class WindowHost;

class ToolCommands : public QObject {
    Q_OBJECT
public:
    ToolCommands(PictureSession& session, MessageSink& messages, WindowHost& host,
                 OperationRegistry& operations, QString workFolder);

    // By default a search that asks nobody; the program lets the user choose a file.
    using ToolFinder = std::function<QString(int toolIndex)>;
    void setToolFinder(ToolFinder finder) { m_findTool = std::move(finder); }

    void openInMarlo();
    void openInPirra();
    void showHelp(const QString& page = QStringLiteral("tolvik.htm"));

private:
    QString toolPath(int toolIndex, QString& cache);
    void startTool(const QString& name, const QString& program, const QString& argument);

    PictureSession& m_session;
    MessageSink& m_messages;
    WindowHost& m_host;
    QString m_workFolder;
    ToolFinder m_findTool;
    QString m_marloPath;
    QString m_pirraPath;
};
