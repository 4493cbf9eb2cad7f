// Numbering, stored names and the storing routine of the work folder.
#include "capture/WorkFolder.h"
#include "imaging/PictureFiles.h"
#include "imaging/ImageModel.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

namespace {
void touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}
bool writeText(QIODevice& dev, const QByteArray& bytes) {
    return dev.write(bytes) == bytes.size();
}
QStringList visibleFiles(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden);
}
} // namespace

class TestWorkFolder : public QObject {
    Q_OBJECT
private slots:
    void scanRule_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty folder") << QStringList{} << ""
                                      << "001.bmp";
        QTest::newRow("mixed prefixes and types")
            << QStringList{"a005.bmp", "a012.txt", "a100.jpg", "b200.bmp", "A300.bmp"} << "a"
            << "a013.bmp";
        QTest::newRow("short number") << QStringList{"a5.bmp"} << "a"
                                      << "a006.bmp";
        QTest::newRow("upper-case extension not counted") << QStringList{"a050.BMP"} << "a"
                                                          << "a001.bmp";
        QTest::newRow("gaps are not filled") << QStringList{"001.bmp", "009.txt"} << ""
                                             << "010.bmp";
        QTest::newRow("pattern characters are literal")
            << QStringList{"x040.bmp", "*007.bmp"} << "*"
            << "*008.bmp";
        QTest::newRow("past 16 bits") << QStringList{"p32767.bmp"} << "p"
                                      << "p32768.bmp";
        QTest::newRow("fraction rounds half to even") << QStringList{"q2.5.bmp"} << "q"
                                                      << "q003.bmp";
    }
    void scanRule() {
        QFETCH(QStringList, files);
        QFETCH(QString, prefix);
        QFETCH(QString, expected);
        QTemporaryDir tmp;
        for (const QString& f : files)
            touch(tmp.filePath(f));
        WorkFolder wf(tmp.path());
        wf.ScanWorkFolder(prefix);
        QCOMPARE(wf.storedName(prefix, QStringLiteral(".bmp")), tmp.path() + u'/' + expected);
    }

    void scanCreatesMissingFolder() {
        QTemporaryDir tmp;
        const QString folder = tmp.filePath("Temp");
        WorkFolder wf(folder);
        wf.ScanWorkFolder(QString());
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(wf.nextNumber(), 1);
    }

    void storeNeverOverwrites() {
        // The prefix changed since the scan: 001.bmp of the new prefix is already there.
        QTemporaryDir tmp;
        touch(tmp.filePath("b001.bmp"));
        touch(tmp.filePath("b002.bmp"));
        WorkFolder wf(tmp.path());
        wf.ScanWorkFolder(QStringLiteral("a"));
        QCOMPARE(wf.nextNumber(), 1);
        const auto s = wf.store(QStringLiteral("b"), QStringLiteral(".bmp"),
                                [](QIODevice& d) { return writeText(d, "new"); });
        QVERIFY(s.ok);
        QCOMPARE(s.path, tmp.filePath("b003.bmp"));
        QCOMPARE(wf.nextNumber(), 4);
        QFile old(tmp.filePath("b001.bmp"));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("x"));
    }

    void storeIsWholeOrNothing() {
        QTemporaryDir tmp;
        WorkFolder wf(tmp.path());
        wf.ScanWorkFolder(QString());
        const auto failed = wf.store(QString(), QStringLiteral(".txt"), [](QIODevice& d) {
            d.write("half");
            return false;
        });
        QVERIFY(!failed.ok);
        QVERIFY(visibleFiles(tmp.path()).isEmpty()); // neither the file nor its temporary
        QCOMPARE(wf.nextNumber(), 1);                // the number is not spent
        const auto ok = wf.store(QString(), QStringLiteral(".txt"),
                                 [](QIODevice& d) { return writeText(d, "whole"); });
        QVERIFY(ok.ok);
        QCOMPARE(visibleFiles(tmp.path()), QStringList{"001.txt"});
    }

    // A killed store's temporary file goes at the next scan; one of our own id that was
    // left by an earlier process is passed over instead of failing the store.
    void leftoverTemporaryFiles() {
        QTemporaryDir tmp;
        const qint64 self = QCoreApplication::applicationPid();
        for (int serial = 0; serial < 50; ++serial)
            touch(tmp.filePath(QStringLiteral(".tolvik-%1-%2.part").arg(self).arg(serial)));
        qint64 gone = 4194000;
        while (platform::processRunning(gone))
            ++gone;
        const QString stale = QStringLiteral(".tolvik-%1-3.part").arg(gone);
        const QString live = QStringLiteral(".tolvik-1-3.part"); // init runs
        touch(tmp.filePath(stale));
        touch(tmp.filePath(live));
        WorkFolder wf(tmp.path());
        wf.ScanWorkFolder(QString());
        QVERIFY(!QFile::exists(tmp.filePath(stale)));
        QVERIFY(QFile::exists(tmp.filePath(live)));
        for (int i = 0; i < 3; ++i)
            QVERIFY(wf.store(QString(), QStringLiteral(".txt"), [](QIODevice& d) {
                          return writeText(d, "x");
                      }).ok);
        QCOMPARE(QDir(tmp.path()).entryList({"*.txt"}, QDir::Files),
                 (QStringList{"001.txt", "002.txt", "003.txt"}));
        // The list of the work folder never shows them.
        QCOMPARE(QDir(tmp.path()).entryList({"*.BMP", "*.TXT"}, QDir::Files).size(), 3);
    }

    // Emptying takes every file, hidden and stale temporary ones too, but leaves sub-folders
    // and a store another running process has under way.
    void emptyLeavesFoldersAndOthersStores() {
        QTemporaryDir tmp;
        qint64 gone = 4194000;
        while (platform::processRunning(gone))
            ++gone;
        const QString self =
            QStringLiteral(".tolvik-%1-7.part").arg(QCoreApplication::applicationPid());
        const QString live = QStringLiteral(".tolvik-1-3.part"); // init runs
        for (const QString& name :
             {QStringLiteral("001.bmp"), QStringLiteral("x.txt"), QStringLiteral(".hidden"), self,
              live, QStringLiteral(".tolvik-%1-3.part").arg(gone)})
            touch(tmp.filePath(name));
        QVERIFY(QDir(tmp.path()).mkdir("sub"));
        touch(tmp.filePath("sub/002.bmp"));
        WorkFolder wf(tmp.path());
        wf.empty();
        QCOMPARE(visibleFiles(tmp.path()), QStringList{live});
        QVERIFY(QFile::exists(tmp.filePath("sub/002.bmp")));
    }

    // A disk that fills part-way through a write is told in the system's words.
    void writeFailureNamesItsCause() {
        QTemporaryDir tmp;
        WorkFolder wf(tmp.path());
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 64 * 1024;
        setrlimit(RLIMIT_FSIZE, &small);
        QImage big(400, 300, QImage::Format_RGB32);
        big.fill(Qt::red);
        imaging::ImageModel model;
        model.setImage(big);
        const auto s = wf.store(QString(), QStringLiteral(".bmp"),
                                [&model](QIODevice& d) { return model.saveBmp(d); });
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!s.ok);
        QCOMPARE(s.error, platform::errorText(EFBIG));
        QVERIFY(visibleFiles(tmp.path()).isEmpty());
    }

    void storeIntoUnwritableFolderFails() {
        QTemporaryDir tmp;
        touch(tmp.filePath("file"));
        WorkFolder wf(tmp.filePath("file/sub")); // a file stands where a folder must be
        const auto s = wf.store(QString(), QStringLiteral(".bmp"),
                                [](QIODevice& d) { return writeText(d, "x"); });
        QVERIFY(!s.ok);
        QVERIFY(!s.error.isEmpty());
    }

    void prefixRefusal_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("plain") << "shot_" << true;
        QTest::newRow("japanese") << "画面ｷｬﾌﾟﾁｬ" << true;
        QTest::newRow("single dot") << "v1.2-" << true;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("backslash") << "a\\b" << false;
        QTest::newRow("dot dot") << "..x" << false;
        QTest::newRow("leading dot") << ".shot" << false;
        QTest::newRow("lone dot") << "." << false;
        QTest::newRow("colon") << "c:" << false;
        QTest::newRow("star") << "a*" << false;
        QTest::newRow("question") << "a?" << false;
        QTest::newRow("quote") << "a\"" << false;
        QTest::newRow("angle") << "<a>" << false;
        QTest::newRow("pipe") << "a|b" << false;
        QTest::newRow("control") << QString("a\tb") << false;
    }
    void prefixRefusal() {
        QFETCH(QString, prefix);
        QFETCH(bool, allowed);
        QCOMPARE(WorkFolder::prefixProblem(prefix).isEmpty(), allowed);
        QTemporaryDir tmp;
        WorkFolder wf(tmp.path());
        const auto s = wf.store(prefix, QStringLiteral(".bmp"),
                                [](QIODevice& d) { return writeText(d, "x"); });
        QCOMPARE(s.ok, allowed);
        if (!allowed)
            QVERIFY(visibleFiles(tmp.path()).isEmpty());
    }

    void prefixRefusalNamesTheLeadingDot() {
        const QString rest = QStringLiteral("\r\\ / : * ? \" < > | と .. はﾌｧｲﾙ名に使えません");
        QCOMPARE(WorkFolder::prefixProblem(QStringLiteral(".a")),
                 QStringLiteral("ﾌﾟﾚﾌｨｯｸｽに使えない文字があります: (先頭の .)") + rest);
        QCOMPARE(WorkFolder::prefixProblem(QStringLiteral(".a*")),
                 QStringLiteral("ﾌﾟﾚﾌｨｯｸｽに使えない文字があります: (先頭の .)*") + rest);
        QCOMPARE(WorkFolder::prefixProblem(QStringLiteral("a:")),
                 QStringLiteral("ﾌﾟﾚﾌｨｯｸｽに使えない文字があります: :") + rest);
    }

    void numbersKeepCountingPast32767() {
        QTemporaryDir tmp;
        WorkFolder wf(tmp.path());
        wf.setNextNumber(32767);
        for (int i = 0; i < 2; ++i)
            QVERIFY(wf.store(QString(), QStringLiteral(".bmp"), [](QIODevice& d) {
                          return writeText(d, "x");
                      }).ok);
        QCOMPARE(visibleFiles(tmp.path()), (QStringList{"32767.bmp", "32768.bmp"}));
        wf.ScanWorkFolder(QString());
        QCOMPARE(wf.nextNumber(), 32769);
    }

    void lowerExt_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("upper ext") << "/w/A001.BMP"
                                   << "/w/A001.bmp";
        QTest::newRow("only after last dot") << "/W.X/Pic.Name.JPG"
                                             << "/W.X/Pic.Name.jpg";
        QTest::newRow("no dot") << "/w/NAME"
                                << "/w/NAME";
        QTest::newRow("leading dot") << ".BMP"
                                     << ".bmp";
    }
    void lowerExt() {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(imaging::lowerExt(in), out);
    }
};

QTEST_GUILESS_MAIN(TestWorkFolder)
#include "tst_workfolder.moc"
