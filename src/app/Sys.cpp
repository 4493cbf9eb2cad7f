#include "app/Sys.h"

#include "app/CommandLine.h"
#include "app/QtMessageSink.h"
#include "app/ResponsivenessProbe.h"
#include "app/SingleInstance.h"
#include "app/ToolDialog.h"
#include "app/Translations.h"
#include "capture/CaptureSession.h"
#include "capture/ScreenCapturer.h"
#include "core/TextCodec.h"
#include "imaging/ImageModel.h"
#include "mainwindow/fmMain.h"
#include "platform/Platform.h"
#include "platform/Termination.h"
#include "settings/SiblingTools.h"
#include "settings/ToolPathStore.h"
#include "settings/UserData.h"
#include "settings/yIni.h"
#include "workspace/Workspace.h"

#include <QApplication>
#include <QFileInfo>

namespace Sys {

namespace {
bool g_shuttingDown = false;
}

Globals& globals() {
    static Globals g;
    return g;
}

QString programNameFrom(const QString& executablePath) {
    QString name = QFileInfo(executablePath).completeBaseName();
    if (name.right(3).toLower() == u"_dv")
        name.chop(3);
    return name;
}

bool FileExists(const QString& path) {
    const QFileInfo fi(path);
    return fi.exists() && fi.isFile();
}

QString programDataFolder() {
    const QString folder = globals().ProgramDataFolder;
    return folder.isEmpty()
               ? installedFile(QCoreApplication::applicationDirPath(), QStringLiteral("apData/"))
               : folder;
}

QUrl helpBaseAddress() {
    return QUrl::fromLocalFile(programDataFolder());
}

bool shuttingDown() {
    return g_shuttingDown;
}

int Main(QApplication& app, const CommandLine& command) {
    // Before the first message box, so even its buttons are Japanese.
    translations::installQtJapanese(app);
    Globals& g = globals();
    g.ProgramName = programNameFrom(QCoreApplication::applicationFilePath());
    QtMessageSink messages;

    // One collector per user: a later start only passes its request on.
    SingleInstance instance(SingleInstance::socketPath(g.ProgramName));
    for (int attempt = 0;; ++attempt) {
        const SingleInstance::HandOver h = instance.handOver(command.request());
        if (h == SingleInstance::HandOver::Taken)
            return 0;
        if (h == SingleInstance::HandOver::NoAnswer) {
            messages.ask(QStringLiteral("起動している %1 が応答しません").arg(g.ProgramName));
            return 1;
        }
        // Another start may have begun to listen in between: then it takes the request.
        if (instance.listen() || attempt == 1)
            break;
    }

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    imaging::raiseImageAllocationLimit();
    ToolPathStore toolStore;
    UserDataEnv env;
    env.exeFolder = QCoreApplication::applicationDirPath();
    env.programName = g.ProgramName;
    env.executablePath = QCoreApplication::applicationFilePath();
    env.toolStore = &toolStore;
    env.messages = &messages;
    QGuiApplication::restoreOverrideCursor(); // a message at start must not show the hourglass
    const UserDataFolders folders = chooseUserDataFolder(env);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    g.UserDataFolder = folders.userDataFolder;
    g.ProgramDataFolder = folders.programDataFolder;
    if (!ensureSubfolders(g.UserDataFolder, {QStringLiteral("Temp")}))
        messages.ask(QStringLiteral("作業ﾌｫﾙﾀﾞを作れません\r") + g.UserDataFolder +
                     QStringLiteral("Temp"));

    const std::unique_ptr<platform::Desktop> desktop = platform::createDesktop();
    // Settings and stored texts are code page 932; without a converter they would be lost.
    if (!textcodec::cp932Available())
        messages.ask(QStringLiteral("Shift-JIS (ｺｰﾄﾞﾍﾟｰｼﾞ 932) の変換が使えません\r"
                                    "設定とﾃｷｽﾄは UTF-8 で保存します"));
    yIni::instance().setMessages(&messages);
    fmMain main(*desktop, messages, g.UserDataFolder);
    main.setSettings(&yIni::instance(), g.UserDataFolder + QStringLiteral("User.xml"));
    main.workspace().tools.setToolFinder([&main, &toolStore](int index) {
        return tools::findTool(
            index, toolStore,
            [&main](const tools::ToolQuestion& q) { return chooseToolFile(&main, q); },
            QCoreApplication::applicationDirPath());
    });
    main.Form_Load();

    // Captures of our own come in as the clipboard watch's would.
    ScreenCapturer capturer(*desktop, messages);
    QObject::connect(&capturer, &ScreenCapturer::captured, &main.workspace().folder.watcher(),
                     &ClipboardWatcher::handleOffer);
    QObject::connect(&instance, &SingleInstance::requested, &main, [&](const QByteArray& r) {
        const CommandLine asked = parseRequest(r);
        if (asked.capture) {
            capturer.capture(*asked.capture, asked.delayMs);
            return;
        }
        if (main.isMinimized())
            main.showNormal();
        else
            main.show();
        main.raise();
        main.activateWindow();
    });
    const ResponsivenessProbe probe(main.workspace().session.document());
    if (command.capture)
        main.workspace().folder.captureWait().setWaiting(true); // shows the window minimised
    else
        main.show();
    QGuiApplication::restoreOverrideCursor();
    // The capture asked for first: a notice about the keys is not to be in it.
    if (command.capture)
        capturer.capture(*command.capture, command.delayMs);
    capturer.takeKeys();
    app.setQuitOnLastWindowClosed(false);
    // Logout or shutdown: end as any close not from the frame does (the settings are not
    // written), but only after every capture already announced is stored.
    platform::onTerminationRequest(&main, [] {
        if (!g_shuttingDown)
            ShutDown();
    });
    const int code = app.exec();
    g_shuttingDown = true;
    main.finishCapture();
    yIni::releaseInstance();
    return code;
}

void ShutDown() {
    g_shuttingDown = true;
    for (QWidget* w : QApplication::topLevelWidgets())
        w->close();
    QCoreApplication::exit(0);
}

} // namespace Sys
