#include "app/Autostart.h"
#include "app/CommandLine.h"
#include "app/Sys.h"
#include "app/Translations.h"
#include "platform/Platform.h"

#include <QApplication>

#include <cstdio>
#include <optional>

namespace {

// Help, version, the start at login and mistakes are told on the terminal, without a window.
int answer(const CommandLine& c, int& argc, char* argv[]) {
    const QString name = Sys::programNameFrom(QString::fromLocal8Bit(argv[0]));
    switch (c.action) {
    case CommandLine::Action::Help:
        std::fputs(usageText(name).toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::fputs(versionText(name).toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Action::Autostart: {
        // Only for the executable's own path: no display is opened.
        std::optional<QCoreApplication> core;
        if (!QCoreApplication::instance())
            core.emplace(argc, argv);
        QString said;
        const bool ok =
            autostart::set(c.autostartOn, name, QCoreApplication::applicationFilePath(), &said);
        std::fputs((said + u'\n').toLocal8Bit().constData(), ok ? stdout : stderr);
        return ok ? 0 : 1;
    }
    default:
        std::fputs((name + QStringLiteral(": ") + c.error + u'\n').toLocal8Bit().constData(),
                   stderr);
        std::fputs(usageText(name).toLocal8Bit().constData(), stderr);
        return 2;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    // Help, version and mistakes in our options need no display; an argument we do not know
    // may be one of Qt's, so it is looked at again once Qt has taken its own.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const CommandLine early = parseCommandLine(raw);
    if (early.action != CommandLine::Action::Start && !early.unknown)
        return answer(early, argc, argv);

    platform::chooseSessionPlatform();
    translations::japaneseDatesFromStart();
    QApplication app(argc, argv);
    const CommandLine command = parseCommandLine(QCoreApplication::arguments());
    if (command.action != CommandLine::Action::Start)
        return answer(command, argc, argv);
    return Sys::Main(app, command);
}
