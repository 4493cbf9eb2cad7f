#include "app/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace autostart {

namespace {

// The Exec key's own quoting: plain paths stay bare, anything else is quoted with its
// reserved characters escaped, and a percent sign is doubled so it is no field code.
QString execValue(const QString& executable) {
    QString v = executable;
    v.replace(u'%', QStringLiteral("%%"));
    const bool plain = std::all_of(v.cbegin(), v.cend(), [](QChar c) {
        return c.isLetterOrNumber() || QStringView(u"/._-+%").contains(c);
    });
    if (plain)
        return v;
    QString quoted;
    for (const QChar c : v) {
        if (QStringView(u"\"`$\\").contains(c))
            quoted += u'\\';
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

} // namespace

QString entryPath(const QString& programName) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + programName + QStringLiteral(".desktop");
}

QByteArray entryText(const QString& executable) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Tolvik\n"
                          "Name[ja]=Tolvik\n"
                          "Comment=Collects the screen captures put on the clipboard\n"
                          "Comment[ja]=ｸﾘｯﾌﾟﾎﾞｰﾄﾞのｽｸﾘｰﾝｷｬﾌﾟﾁｬｰを集めます\n"
                          "Exec=%1\n"
                          "Icon=tolvik\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execValue(executable))
        .toUtf8();
}

bool set(bool on, const QString& programName, const QString& executable, QString* answer) {
    const QString path = entryPath(programName);
    if (!on) {
        if (QFileInfo::exists(path) && !QFile::remove(path)) {
            *answer = QStringLiteral("%1 を削除できません").arg(path);
            return false;
        }
        *answer = QStringLiteral("ﾛｸﾞｲﾝ時に起動しません");
        return true;
    }
    QSaveFile f(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !f.open(QIODevice::WriteOnly) ||
        f.write(entryText(executable)) < 0 || !f.commit()) {
        *answer = QStringLiteral("%1 を書けません").arg(path);
        return false;
    }
    *answer = QStringLiteral("ﾛｸﾞｲﾝ時に起動します (%1)").arg(path);
    return true;
}

} // namespace autostart
