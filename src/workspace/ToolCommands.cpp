#include "workspace/ToolCommands.h"

#include "app/Sys.h"
#include "commands/Operations.h"
#include "core/Messages.h"
#include "settings/Shell.h"
#include "settings/SiblingTools.h"
#include "settings/ToolPathStore.h"
#include "workspace/PictureSession.h"
#include "workspace/WindowHost.h"

#include <QCoreApplication>

ToolCommands::ToolCommands(PictureSession& session, MessageSink& messages, WindowHost& host,
                           OperationRegistry& operations, QString workFolder)
    : m_session(session), m_messages(messages), m_host(host), m_workFolder(std::move(workFolder)) {
    operations.implement(Operation::OpenInMarlo, [this] { openInMarlo(); });
    operations.implement(Operation::OpenInPirra, [this] { openInPirra(); });
}

QString ToolCommands::toolPath(int toolIndex, QString& cache) {
    if (cache.isEmpty()) {
        if (m_findTool) {
            cache = m_findTool(toolIndex);
        } else {
            ToolPathStore store;
            cache = tools::findTool(toolIndex, store, {}, QCoreApplication::applicationDirPath());
        }
    }
    return cache;
}

void ToolCommands::startTool(const QString& name, const QString& program, const QString& argument) {
    // One argument of its own: a path with spaces reaches the tool whole.
    if (!shell::starter()(program, {argument}))
        m_messages.notice(name + QStringLiteral("を起動できませんでした: ") + program);
}

void ToolCommands::openInMarlo() {
    const QString file = m_session.currentFile();
    if (file.isEmpty())
        return;
    const QString program = toolPath(tools::Marlo, m_marloPath);
    if (program.isEmpty())
        return; // not found and none chosen: the user has already said no
    startTool(QStringLiteral("Marlo"), program, file);
}

void ToolCommands::openInPirra() {
    const QString program = toolPath(tools::Pirra, m_pirraPath);
    if (program.isEmpty())
        return;
    QString target = m_workFolder;
    if (const QString name = m_host.selectedFileName(); !name.isEmpty())
        target += u'/' + name;
    startTool(QStringLiteral("Pirra"), program, target);
}

void ToolCommands::showHelp(const QString& page) {
    const QUrl address = shell::helpAddress(Sys::helpBaseAddress(), page);
    if (!shell::urlOpener()(address))
        qCWarning(lcCommands) << "help page not opened:" << address.toString();
}
