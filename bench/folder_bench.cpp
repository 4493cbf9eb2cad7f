// The work-folder list with 30,000 files: what the five-second check costs while nothing
// changes, and what listing one new file costs, against the full re-read it replaces.
#include "benchutil.h"
#include "mainwindow/FileList.h"
#include "mainwindow/FolderStamp.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

constexpr int kFiles = 30000;
const QString kPattern = QStringLiteral("*.BMP;*.JPG;*.JPEG;*.GIF;*.TXT");

// What each tick did before: the folder's time and a count of every file in it.
qint64 oldTick(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).size();
}

// What a change did before: the whole list read, sorted and built again.
void oldReread(QListWidget& list, const QString& folder) {
    QDir dir(folder);
    dir.setNameFilters(kPattern.split(u';'));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    list.clear();
    list.addItems(names);
}

} // namespace

QString folderListSection() {
    QTemporaryDir tmp(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    for (int i = 1; i <= kFiles; ++i) {
        QFile f(tmp.filePath(QStringLiteral("%1.bmp").arg(i, 5, 10, QChar(u'0'))));
        f.open(QIODevice::WriteOnly);
    }
    FileList list;
    list.setPattern(kPattern);
    list.setPath(tmp.path());
    QListWidget reference;
    oldReread(reference, tmp.path());

    // A minute of ticks while nothing changes.
    FolderStamp stamp;
    stamp.changed(tmp.path());
    double t = bench::threadCpuMs();
    for (int i = 0; i < 12; ++i)
        stamp.changed(tmp.path());
    const double idleNew = bench::threadCpuMs() - t;
    t = bench::threadCpuMs();
    qint64 sink = 0;
    for (int i = 0; i < 12; ++i)
        sink += oldTick(tmp.path());
    const double idleOld = bench::threadCpuMs() - t;

    // One new file, five times over.
    std::vector<double> addNew, addOld;
    for (int i = 0; i < 5; ++i) {
        QFile f(tmp.filePath(QStringLiteral("new%1.bmp").arg(i)));
        f.open(QIODevice::WriteOnly);
        f.close();
        t = bench::threadCpuMs();
        list.reread();
        addNew.push_back(bench::threadCpuMs() - t);
        t = bench::threadCpuMs();
        oldReread(reference, tmp.path());
        addOld.push_back(bench::threadCpuMs() - t);
    }
    const bool same = list.count() == reference.count();

    QString out;
    QTextStream o(&out);
    o << "## Work-folder list\n\n"
      << "A work folder of " << kFiles
      << " files, CPU time of the user-interface thread. Idle: the twelve "
         "five-second checks of one minute while nothing changes. New file: listing one new "
         "file after the file-system watcher tells of it (median of 5). The reference is what the "
         "list did before, measured in the same run: a count of every file at each check, and "
         "the whole list read, sorted and built again at each change. Made by "
         "`build/bin/tolvik_bench docs/benchmarks.md`.\n\n"
      << "| | now | before | aim |\n|---|---|---|---|\n"
      << "| idle, CPU ms a minute (the list's checks only; the whole process: section Idle) | "
      << QString::number(idleNew, 'f', 2) << " | " << QString::number(idleOld, 'f', 1)
      << " | under 50 |\n"
      << "| one new file, CPU ms | " << QString::number(bench::median(addNew), 'f', 1) << " | "
      << QString::number(bench::median(addOld), 'f', 1) << " | within 20 |\n\n"
      << "The check looks at the folder's modification time only; the list reads the folder's "
         "names once, without looking at each file, and adds or takes away only the names that "
         "changed (both lists held "
      << (same ? "the same" : "different") << " number of names at the end).\n\n";
    Q_UNUSED(sink);
    return out;
}
