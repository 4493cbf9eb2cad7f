#include "app/CommandLine.h"

#include <cmath>

using platform::CaptureKind;

namespace {

constexpr double kLongestDelay = 3600; // seconds

const std::pair<const char*, CaptureKind> kKinds[] = {{"screen", CaptureKind::Screen},
                                                      {"window", CaptureKind::Window},
                                                      {"region", CaptureKind::Region}};

CommandLine error(const QString& why) {
    CommandLine c;
    c.action = CommandLine::Action::Error;
    c.error = why;
    return c;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine c;
    bool delayGiven = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString arg = arguments[i];
        QString value;
        bool inlineValue = false;
        // --option=value is the same as --option value.
        if (arg.startsWith(u"--") && arg.contains(u'=')) {
            value = arg.section(u'=', 1);
            arg = arg.section(u'=', 0, 0);
            inlineValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (inlineValue)
                return true;
            if (i + 1 >= arguments.size())
                return false;
            value = arguments[++i];
            return true;
        };
        if (arg == u"--help" || arg == u"-h") {
            c.action = CommandLine::Action::Help;
            return c;
        }
        if (arg == u"--version") {
            c.action = CommandLine::Action::Version;
            return c;
        }
        if (arg == u"--autostart") {
            if (!takeValue() || (value != u"on" && value != u"off"))
                return error(QStringLiteral("--autostart には on か off が要ります"));
            c.action = CommandLine::Action::Autostart;
            c.autostartOn = value == u"on";
            return c;
        }
        if (arg == u"--capture") {
            if (!takeValue())
                return error(
                    QStringLiteral("--capture には screen, window, region のどれかが要ります"));
            c.capture.reset();
            for (const auto& [name, kind] : kKinds)
                if (value == QLatin1String(name))
                    c.capture = kind;
            if (!c.capture)
                return error(
                    QStringLiteral("--capture %1: screen, window, region のどれかにしてください")
                        .arg(value));
        } else if (arg == u"--delay") {
            bool ok = takeValue();
            const double seconds = ok ? value.toDouble(&ok) : 0;
            if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > kLongestDelay)
                return error(QStringLiteral("--delay には 0 から %1 までの秒数が要ります")
                                 .arg(kLongestDelay));
            c.delayMs = int(std::lround(seconds * 1000));
            delayGiven = true;
        } else {
            CommandLine e = error(QStringLiteral("わからない引数です: %1").arg(arguments[i]));
            e.unknown = true;
            return e;
        }
    }
    if (delayGiven && !c.capture)
        return error(QStringLiteral("--delay は --capture と一緒に使います"));
    return c;
}

QByteArray CommandLine::request() const {
    if (!capture)
        return {};
    QByteArray r = "--capture ";
    for (const auto& [name, kind] : kKinds)
        if (kind == *capture)
            r += name;
    if (delayMs > 0)
        r += " --delay " + QByteArray::number(delayMs / 1000.0);
    return r;
}

CommandLine parseRequest(const QByteArray& request) {
    QStringList words{QStringLiteral("tolvik")};
    words += QString::fromUtf8(request).split(u' ', Qt::SkipEmptyParts);
    const CommandLine c = parseCommandLine(words);
    return c.action == CommandLine::Action::Start ? c : error(QStringLiteral("unknown request"));
}

QString usageText(const QString& programName) {
    return QStringLiteral(
               "使い方: %1 [--capture screen|window|region [--delay 秒]]\n"
               "        %1 --autostart on|off\n"
               "\n"
               "  (なし)            Tolvik を起動します。動いていれば、そのｳｲﾝﾄﾞｳを前に出します\n"
               "  --capture screen  ﾏｳｽﾎﾟｲﾝﾀのある画面をｷｬﾌﾟﾁｬｰします (Print Screen)\n"
               "  --capture window  ｱｸﾃｨﾌﾞなｳｲﾝﾄﾞｳをｷｬﾌﾟﾁｬｰします (Alt+Print Screen)\n"
               "  --capture region  ﾄﾞﾗｯｸﾞした範囲をｷｬﾌﾟﾁｬｰします (Shift+Print Screen)\n"
               "  --delay 秒        その秒数だけ待ってからｷｬﾌﾟﾁｬｰします (小数も可)\n"
               "  --autostart on    ﾛｸﾞｲﾝ時に起動します (off でやめます)\n"
               "  --help            この説明\n"
               "  --version         版\n"
               "\n"
               "ｷｬﾌﾟﾁｬｰは動いている Tolvik が撮ります。動いていなければ、最小化して\n"
               "ｷｬﾌﾟﾁｬｰ待機で起動してから撮ります。\n")
        .arg(programName);
}

QString versionText(const QString& programName) {
    return QStringLiteral("%1 %2\n").arg(programName, QStringLiteral(TOLVIK_VERSION));
}
