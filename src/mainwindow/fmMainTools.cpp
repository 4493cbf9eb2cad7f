// The main window's sibling-tool commands and the help page.
#include "app/Sys.h"
#include "core/Messages.h"
#include "mainwindow/FileList.h"
#include "mainwindow/fmMain.h"
#include "settings/Shell.h"
#include "settings/SiblingTools.h"
#include "settings/ToolPathStore.h"

#include <QCoreApplication>

QString fmMain::toolPath(int toolIndex, QString& cache) {
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

void fmMain::startTool(const QString& name, const QString& program, const QString& argument) {
    // One argument of its own: a path with spaces reaches the tool whole.
    if (!shell::starter()(program, {argument}))
        m_messages.notice(name + QStringLiteral("を起動できませんでした: ") + program);
}

void fmMain::openInMarlo() {
    if (m_currentFile.isEmpty())
        return;
    const QString program = toolPath(tools::Marlo, m_marloPath);
    if (program.isEmpty())
        return; // not found and none chosen: the user has already said no
    startTool(QStringLiteral("Marlo"), program, m_currentFile);
}

void fmMain::openInPirra() {
    const QString program = toolPath(tools::Pirra, m_pirraPath);
    if (program.isEmpty())
        return;
    QString target = m_File1->path();
    if (const QString name = m_File1->selectedName(); !name.isEmpty())
        target += u'/' + name;
    startTool(QStringLiteral("Pirra"), program, target);
}

void fmMain::openHelp() {
    showHelp(QStringLiteral("tolvik.htm"));
}

void fmMain::showHelp(const QString& page) {
    const QUrl address = shell::helpAddress(Sys::helpBaseAddress(), page);
    if (!shell::urlOpener()(address))
        qCWarning(lcCommands) << "help page not opened:" << address.toString();
}
