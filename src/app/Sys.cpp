#include "app/Sys.h"

#include "app/QtMessageSink.h"
#include "app/ResponsivenessProbe.h"
#include "app/ToolDialog.h"
#include "app/Translations.h"
#include "core/TextCodec.h"
#include "imaging/ImageModel.h"
#include "mainwindow/fmMain.h"
#include "platform/Platform.h"
#include "platform/Termination.h"
#include "settings/SiblingTools.h"
#include "settings/ToolPathStore.h"
#include "settings/UserData.h"
#include "settings/yIni.h"

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

QUrl helpBaseAddress() {
    QString folder = globals().ProgramDataFolder;
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/apData/");
    return QUrl::fromLocalFile(folder);
}

bool shuttingDown() {
    return g_shuttingDown;
}

int Main(QApplication& app) {
    // Before the first message box, so even its buttons are Japanese.
    translations::installQtJapanese(app);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    imaging::raiseImageAllocationLimit();
    Globals& g = globals();
    g.ProgramName = programNameFrom(QCoreApplication::applicationFilePath());

    QtMessageSink messages;
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
    main.setToolFinder([&main, &toolStore](int index) {
        return tools::findTool(
            index, toolStore,
            [&main](const tools::ToolQuestion& q) { return chooseToolFile(&main, q); },
            QCoreApplication::applicationDirPath());
    });
    main.Form_Load();
    const ResponsivenessProbe probe(main.picture());
    main.show();
    QGuiApplication::restoreOverrideCursor();
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
