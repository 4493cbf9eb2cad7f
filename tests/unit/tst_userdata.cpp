// Choice of the user data folder, its messages, the folder helpers, the program name
// and the self-registration in the tool-path store.
#include "app/Sys.h"
#include "settings/ToolPathStore.h"
#include "settings/UserData.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Fixture {
    QTemporaryDir root;
    QString exe; // executable folder
    QString appData;
    QString docs;
    RecordingMessages messages;
    std::unique_ptr<ToolPathStore> store;

    Fixture() {
        exe = root.filePath("bin");
        appData = root.filePath("share");
        docs = root.filePath("Documents");
        QDir().mkpath(exe);
        store = std::make_unique<ToolPathStore>(root.filePath("tools.ini"));
    }
    void writeIni(const QByteArray& content) {
        QFile f(exe + "/UserData.ini");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    UserDataEnv env() {
        UserDataEnv e;
        e.exeFolder = exe;
        e.programName = QStringLiteral("Tolvik");
        e.executablePath = exe + "/tolvik";
        e.toolStore = store.get();
        e.messages = &messages;
        e.specialFolder = [this](int n) { return n == 26 ? appData : n == 5 ? docs : QString(); };
        return e;
    }
    QString defaultFolder() const { return appData + "/Quellen/Tolvik/"; }
};
} // namespace

class TestUserData : public QObject {
    Q_OBJECT
private slots:
    void programName_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "/opt/x/tolvik"
                               << "tolvik";
        QTest::newRow("dv suffix any case") << "/opt/x/Tolvik_DV"
                                            << "Tolvik";
        QTest::newRow("dv before extension") << "C:/x/Tolvik_dv.exe"
                                             << "Tolvik";
        QTest::newRow("dvx kept") << "/opt/Tolvik_dvx"
                                  << "Tolvik_dvx";
        QTest::newRow("only suffix") << "/opt/_dv"
                                     << "";
    }
    void programName() {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(Sys::programNameFrom(path), name);
    }

    void settingTable_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("folder"); // {D} default, {E} executable, {M} documents folder
        QTest::addColumn<int>("messages");
        QTest::newRow("usr") << QByteArray("%usr%") << "{D}" << 0;
        QTest::newRow("app any case") << QByteArray("%APP%") << "{E}/usData/" << 0;
        QTest::newRow("application data") << QByteArray("%Applicaion Data%") << "{D}" << 0;
        QTest::newRow("doc") << QByteArray("%doc") << "{M}/Quellen/Tolvik/" << 0;
        QTest::newRow("my document") << QByteArray("%My Document%") << "{M}/Quellen/Tolvik/" << 0;
        QTest::newRow("line break makes it unknown") << QByteArray("%app%\r\n") << "{D}" << 0;
        QTest::newRow("other percent") << QByteArray("%whatever") << "{D}" << 0;
        QTest::newRow("missing folder") << QByteArray("/no/such/folder") << "{D}" << 1;
    }
    void settingTable() {
        QFETCH(QByteArray, ini);
        QFETCH(QString, folder);
        QFETCH(int, messages);
        Fixture fx;
        fx.writeIni(ini);
        const UserDataFolders out = chooseUserDataFolder(fx.env());
        QString expected = folder;
        expected.replace(QLatin1String("{D}"), fx.defaultFolder().chopped(1))
            .replace(QLatin1String("{E}"), fx.exe)
            .replace(QLatin1String("{M}"), fx.docs);
        if (!expected.endsWith(u'/'))
            expected += u'/';
        QCOMPARE(out.userDataFolder, expected);
        QCOMPARE(out.programDataFolder, fx.exe + "/apData/");
        QCOMPARE(fx.messages.asked.size(), messages);
        QVERIFY(QFileInfo(out.userDataFolder).isDir()); // created with all its parents
    }

    void messages() {
        {
            Fixture fx; // no UserData.ini
            chooseUserDataFolder(fx.env());
            QCOMPARE(fx.messages.asked,
                     QStringList{fx.exe + "/UserData.ini が見つかりません\rﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞは　" +
                                 fx.defaultFolder() + " を使用します"});
        }
        {
            Fixture fx;
            fx.writeIni("");
            chooseUserDataFolder(fx.env());
            QCOMPARE(fx.messages.asked, QStringList{" ﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞが定義されていません\r" +
                                                    fx.defaultFolder() + " を使用します"});
        }
        {
            Fixture fx;
            fx.writeIni("\r\n%app%");
            chooseUserDataFolder(fx.env());
            QCOMPARE(fx.messages.asked.size(), 1); // an empty first line counts as empty
        }
        {
            Fixture fx;
            fx.writeIni("/no/such");
            chooseUserDataFolder(fx.env());
            QCOMPARE(fx.messages.asked,
                     QStringList{"ﾌｫﾙﾀﾞ /no/such が見つかりません\rﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞは　" +
                                 fx.defaultFolder() + " を使用します"});
        }
    }

    void existingFolderKeepsItsSpelling() {
        Fixture fx;
        const QString mine = fx.root.filePath("My Captures");
        QDir().mkpath(mine);
        fx.writeIni(mine.toLocal8Bit());
        QCOMPARE(chooseUserDataFolder(fx.env()).userDataFolder, mine + "/");
        QVERIFY(fx.messages.asked.isEmpty());
    }

    void relativeFolderBelongsBesideTheIni() {
        Fixture fx;
        QDir().mkpath(fx.exe + "/data/Captures");
        // The same relative path exists under the current folder too; it must not be taken.
        QTemporaryDir elsewhere;
        QDir().mkpath(elsewhere.filePath("data/Captures"));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        fx.writeIni("data/Captures");
        const QString chosen = chooseUserDataFolder(fx.env()).userDataFolder;
        fx.writeIni("data/Missing");
        const QString fallback = chooseUserDataFolder(fx.env()).userDataFolder;
        QDir::setCurrent(before);
        QCOMPARE(chosen, fx.exe + "/data/Captures/");
        QCOMPARE(fallback, fx.defaultFolder());
        QCOMPARE(fx.messages.asked,
                 QStringList{"ﾌｫﾙﾀﾞ " + fx.exe +
                             "/data/Missing が見つかりません\rﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞは　" +
                             fx.defaultFolder() + " を使用します"});
    }

    void installedDataIsFoundFromTheProgram() {
        Fixture fx; // exe is <root>/bin, as `cmake --install` lays it out
        const QString installed = fx.root.filePath("share/tolvik");
        QDir().mkpath(installed + "/apData");
        QDir().mkpath(installed + "/Captures");
        QFile ini(installed + "/UserData.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("Captures");
        ini.close();
        UserDataFolders out = chooseUserDataFolder(fx.env());
        QCOMPARE(out.programDataFolder, installed + "/apData/");
        QCOMPARE(out.userDataFolder, installed + "/Captures/");
        QVERIFY(fx.messages.asked.isEmpty());

        // What the build leaves beside the program wins over an installation.
        QDir().mkpath(fx.exe + "/apData");
        fx.writeIni("%app%");
        out = chooseUserDataFolder(fx.env());
        QCOMPARE(out.programDataFolder, fx.exe + "/apData/");
        QCOMPARE(out.userDataFolder, fx.exe + "/usData/");
    }

    void missingFolderIsToldOnEveryStart() {
        Fixture fx;
        fx.writeIni("/no/such/folder");
        for (int run = 1; run <= 3; ++run) {
            QCOMPARE(chooseUserDataFolder(fx.env()).userDataFolder, fx.defaultFolder());
            QCOMPARE(fx.messages.asked.size(), run);
            // What a start leaves behind: the fallback folder and the registration.
            QVERIFY(QFileInfo(fx.defaultFolder()).isDir());
            QCOMPARE(fx.store->read("Tolvik"), fx.exe + "/tolvik");
        }
        QVERIFY(!QFileInfo::exists("/no/such/folder"));
    }

    void selfRegistration() {
        Fixture fx;
        fx.writeIni("%usr%");
        chooseUserDataFolder(fx.env());
        QCOMPARE(fx.store->read("Tolvik"), fx.exe + "/tolvik");
        // An unchanged installation writes nothing: a differently-cased entry stays.
        fx.store->write("Tolvik", (fx.exe + "/tolvik").toUpper());
        chooseUserDataFolder(fx.env());
        QCOMPARE(fx.store->read("Tolvik"), (fx.exe + "/tolvik").toUpper());
        fx.store->write("Tolvik", "/old/place/tolvik");
        chooseUserDataFolder(fx.env());
        QCOMPARE(fx.store->read("Tolvik"), fx.exe + "/tolvik");
    }

    void folderHelpers() {
        QTemporaryDir tmp;
        const QString deep = tmp.filePath("a/b/c");
        createFolderPath(deep);
        QVERIFY(QFileInfo(deep).isDir());
        createFolderPath(deep); // existing: nothing happens
        QVERIFY(ensureSubfolders(tmp.path() + "/", {"Temp", "Other"}));
        QVERIFY(QFileInfo(tmp.filePath("Temp")).isDir());
        QVERIFY(QFileInfo(tmp.filePath("Other")).isDir());
        QFile blocker(tmp.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!ensureSubfolders(tmp.filePath("file") + "/", {"Temp"})); // reported, not a crash
    }

    void specialFolders() {
        QTemporaryDir tmp;
        qputenv("XDG_DATA_HOME", tmp.filePath("xdg-data/").toLocal8Bit());
        QCOMPARE(specialFolder(26), tmp.filePath("xdg-data")); // no trailing separator
        QVERIFY(!specialFolder(5).isEmpty());
        QVERIFY(specialFolder(99).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestUserData)
#include "tst_userdata.moc"
