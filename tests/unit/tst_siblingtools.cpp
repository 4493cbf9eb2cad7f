// Finding the sibling tools, starting them from the main window, and the help page.
#include "app/Sys.h"
#include "app/ToolDialog.h"
#include "mainwindow/FileList.h"
#include "settings/Shell.h"
#include "settings/SiblingTools.h"
#include "settings/ToolPathStore.h"
#include "windowfixture.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QListView>
#include <QtTest>

namespace {
QString touch(const QString& path, bool executable = true) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.close();
    if (executable)
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    return path;
}

// G is a scratch folder, the program's folder G/apps/tolvik, so P = G/apps. Nothing is on
// the search path unless a test puts it there.
struct Install {
    QTemporaryDir g, empty;
    QByteArray oldPath = qgetenv("PATH");
    ToolPathStore store{g.filePath("tools.ini")};
    QList<tools::ToolQuestion> questions;
    QString answer;
    Install() {
        QDir().mkpath(program());
        qputenv("PATH", empty.path().toLocal8Bit());
    }
    ~Install() { qputenv("PATH", oldPath); }
    QString program() const { return g.filePath("apps/tolvik"); }
    QString file(const QString& relative, bool executable = true) const {
        return touch(g.filePath(relative), executable);
    }
    QString search(const QString& programFolder = {}) const {
        return tools::findInstalledTool("Marlo", tools::executableNames("Marlo"),
                                        programFolder.isEmpty() ? program() : programFolder)
            .found;
    }
    QString find() {
        return tools::findTool(
            tools::Marlo, store,
            [this](const tools::ToolQuestion& q) {
                questions << q;
                return answer;
            },
            program());
    }
};
} // namespace

class TestSiblingTools : public QObject {
    Q_OBJECT
private slots:
    void folderSearch() {
        {
            Install i;
            const QString deeper = i.file("other/Marlo/Marlo"); // the code as written
            QCOMPARE(i.search(), deeper);
            const QString beside = i.file("apps/MARLO/marlo"); // any case; first pass first
            QCOMPARE(i.search(), beside);
        }
        {
            Install i;
            const QString sibling = i.file("marlo/marlo"); // G/marlo, beside P
            QCOMPARE(i.search(), sibling);
            // The program's own parent is not searched again, though it is named like the tool.
            QDir().mkpath(i.g.filePath("marlo/tolvik"));
            QVERIFY(i.search(i.g.filePath("marlo/tolvik")).isEmpty());
        }
        {
            Install i;
            i.file("apps/marlo/marlo", false); // not executable
            QVERIFY(i.search().isEmpty());
        }
        QVERIFY(tools::findInstalledTool("Marlo", {"marlo"}, "/nonexistent/x/y").found.isEmpty());
    }

    void storedSearchedAndChosen() {
        Install i;
        const QString stored = i.file("elsewhere/marlo");
        i.store.write("Marlo", stored);
        const QString installed = i.file("apps/marlo/marlo");
        QCOMPARE(i.find(), stored);
        QFile::remove(stored); // stale: searched again, and the finding replaces it
        QCOMPARE(i.find(), installed);
        QCOMPARE(i.store.read("Marlo"), installed);

        QFile::remove(installed);
        for (const QString& wrong :
             {QString(), i.file("x/marlo", false), i.g.filePath("x/missing/marlo")}) {
            i.answer = wrong;
            QVERIFY(i.find().isEmpty());
        }
        QCOMPARE(i.store.read("Marlo"), installed); // nothing written for a wrong choice
        QCOMPARE(i.questions.size(), 3);
        QCOMPARE(i.questions[0].title, QStringLiteral("画像L 実行ﾌｧｲﾙの指定"));
        QCOMPARE(i.questions[0].folder, QDir(i.g.filePath("apps")).absolutePath());
        // The user's choice is taken under any name.
        for (const char* name : {"y/MARLO", "z/Marlo.AppImage"}) {
            i.answer = i.file(QLatin1String(name));
            QCOMPARE(i.find(), i.answer);
            QCOMPARE(i.store.read("Marlo"), i.answer);
            QFile::remove(i.answer);
        }
        i.answer = i.file("y/MARLO");

        // On the search path: found before the folders and before any question.
        QFile::remove(i.answer);
        const QString onPath = i.file("bin/marlo");
        qputenv("PATH", QFileInfo(onPath).path().toLocal8Bit());
        QCOMPARE(i.find(), onPath);
        QCOMPARE(i.store.read("Marlo"), onPath);
        QCOMPARE(i.questions.size(), 5);
    }

    // The chooser lists folders and executable files of any name, nothing else.
    void toolDialogListsFoldersAndExecutables() {
        QTemporaryDir d;
        touch(d.filePath("Marlo.AppImage"));
        touch(d.filePath("readme.txt"), false);
        QDir().mkdir(d.filePath("bin"));
        const auto dialog =
            makeToolDialog(nullptr, {"t", d.path(), QStringLiteral("実行ﾌｧｲﾙ (*)")});
        dialog->show();
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        QVERIFY(view);
        const auto listed = [view] {
            QStringList names;
            const QModelIndex root = view->rootIndex();
            for (int r = 0; r < view->model()->rowCount(root); ++r)
                names << view->model()->index(r, 0, root).data().toString();
            names.sort();
            return names;
        };
        QTRY_COMPARE(listed(), (QStringList{"Marlo.AppImage", "bin"}));
        // Wide enough for the columns of the detailed list, not just its hint.
        const QSize room = dialog->screen()->availableGeometry().size();
        QVERIFY(dialog->width() >= room.width() * 3 / 5);
        QVERIFY(dialog->height() >= room.height() * 3 / 5);
        QVERIFY(dialog->width() <= room.width());
    }

    void windowStartsTools() {
        WindowFixture win;
        const shell::Starter saved = shell::starter();
        QList<QStringList> started; // program, then its arguments
        bool startOk = true;
        shell::starter() = [&](const QString& program, const QStringList& arguments) {
            started << QStringList{program} + arguments;
            return startOk;
        };
        QStringList lookedUp;
        win.ws().tools.setToolFinder([&](int index) {
            lookedUp << tools::toolCodeName(index).code;
            return QStringLiteral("/opt/%1/bin").arg(index);
        });

        win.ws().tools.openInMarlo(); // no current file
        QVERIFY(started.isEmpty());
        const QString spaced = win.temp("a picture 1.bmp");
        win.session().setCurrentFile(spaced);
        win.ws().tools.openInMarlo();
        win.ws().tools.openInPirra(); // nothing selected: the folder
        QVERIFY(QImage(2, 2, QImage::Format_RGB32).save(win.temp("b.bmp")));
        win.list().reread();
        QVERIFY(win.list().selectName("b.bmp"));
        win.ws().tools.openInPirra();
        const QString folder = win.list().path();
        QCOMPARE(started, (QList<QStringList>{{"/opt/1/bin", spaced},
                                              {"/opt/0/bin", folder},
                                              {"/opt/0/bin", folder + "/b.bmp"}}));
        startOk = false;
        win.ws().tools.openInMarlo();
        QCOMPARE(win.messages.notices,
                 QStringList{QStringLiteral("Marloを起動できませんでした: /opt/1/bin")});
        QCOMPARE(lookedUp, (QStringList{"Marlo", "Pirra"})); // once each for the run
        shell::starter() = saved;
    }

    void helpPages() {
        const QUrl base = QUrl::fromLocalFile("/opt/my tools/apData/");
        QCOMPARE(shell::helpAddress(base, "Tolvik").toLocalFile(),
                 QStringLiteral("/opt/my tools/apData/tolvik.htm"));
        QCOMPARE(shell::helpAddress(base, "A.HTML").toLocalFile(),
                 QStringLiteral("/opt/my tools/apData/a.html"));

        WindowFixture win;
        const shell::UrlOpener saved = shell::urlOpener();
        QList<QUrl> opened;
        shell::urlOpener() = [&](const QUrl& u) {
            opened << u;
            return false;
        };
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("help page not opened"));
        win.ws().tools.showHelp();
        // The page ships beside the executable, in the build tree as well.
        QCOMPARE(opened, QList<QUrl>{shell::helpAddress(Sys::helpBaseAddress(), "tolvik.htm")});
        QVERIFY2(QFileInfo(opened[0].toLocalFile()).isFile(), qPrintable(opened[0].toString()));
        shell::urlOpener() = saved;
    }
};

QTEST_MAIN(TestSiblingTools)
#include "tst_siblingtools.moc"
