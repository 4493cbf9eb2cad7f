// Text, clipboard and work-folder commands of the main window.
#include "commands/PopupMenus.h"
#include "imaging/ImageView.h"
#include "mainwindow/FileList.h"
#include "mainwindow/fmMain.h"
#include "platform/null/NullDesktop.h"
#include "settings/Shell.h"
#include "windowfixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
struct Window : WindowFixture {
    void showPicture() {
        QImage img(10, 8, QImage::Format_RGB32);
        img.fill(qRgb(20, 40, 60));
        imaging::ImageModel m;
        m.setImage(img);
        session().showPicture(m, QString());
    }
};
} // namespace

class TestFolderCommands : public QObject {
    Q_OBJECT
private slots:
    void pasteText() {
        Window win;
        win.session().showText(QStringLiteral("abcdef"), QString()); // Paste takes the text
        QTextCursor c = win.textView().textCursor();
        c.setPosition(2);
        c.setPosition(4, QTextCursor::KeepAnchor); // "cd" selected
        win.textView().setTextCursor(c);
        QGuiApplication::clipboard()->setText(QStringLiteral("XY"));
        win.trigger(Operation::Paste);
        QCOMPARE(win.textView().toPlainText(), QStringLiteral("abXYef"));
        QGuiApplication::clipboard()->clear();
        win.trigger(Operation::Paste); // nothing on the clipboard: nothing changes
        QCOMPARE(win.textView().toPlainText(), QStringLiteral("abXYef"));
    }

    void copyText() {
        Window win;
        win.session().showText(QStringLiteral("一行目\n二行目"), QString());
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        win.trigger(Operation::Copy); // empty selection: the clipboard stays
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        win.textView().selectAll();
        win.trigger(Operation::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("一行目\n二行目"));
        win.w->show();
        win.trigger(Operation::CopyAndMinimize);
        QTRY_VERIFY(win.w->isMinimized());
        QTRY_VERIFY(win.ws().folder.watcher().hooked()); // minimising starts capture wait
    }

    void saveToWorkFolderRescansEachTime() {
        Window win;
        win.ws().folder.saveToWorkFolder(); // no picture: only the rescan
        win.finishIntakes();
        QVERIFY(win.files().isEmpty());
        QCOMPARE(win.ws().folder.folder().nextNumber(), 1);
        win.showPicture();
        // Prefix "x", as typed into the box.
        QTest::keyClicks(win.w->findChild<QLineEdit*>(QStringLiteral("Text1")),
                         QStringLiteral("x"));
        win.ws().folder.saveToWorkFolder();
        win.finishIntakes();
        win.ws().folder.saveToWorkFolder();
        win.finishIntakes();
        QCOMPARE(win.files(), (QStringList{"x001.bmp", "x002.bmp"}));
        QCOMPARE(win.session().currentFile(), win.temp("x002.bmp"));
        QCOMPARE(win.session().viewState(), ViewState::Stored);
        QCOMPARE(win.list().selectedName(), QStringLiteral("x002.bmp"));
        QCOMPARE(QImage(win.temp("x002.bmp")).pixel(3, 3), qRgb(20, 40, 60));
        QFile::remove(win.temp("x002.bmp")); // the next rescan takes the freed number again
        win.ws().folder.saveToWorkFolder();
        win.finishIntakes();
        QVERIFY(QFile::exists(win.temp("x002.bmp")));
    }

    void failedSaveToWorkFolderKeepsCurrentFile() {
        Window win;
        win.showPicture();
        win.session().setCurrentFile(win.temp("kept.bmp"));
        QDir(win.data.path()).rename("Temp", "away");
        QFile blocker(win.data.path() + "/Temp");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        win.ws().folder.saveToWorkFolder();
        win.finishIntakes();
        QCOMPARE(win.session().currentFile(), win.temp("kept.bmp"));
        QCOMPARE(win.messages.notices.size(), 1);
    }

    void emptyWorkFolder() {
        Window win;
        win.showPicture();
        win.ws().folder.saveToWorkFolder();
        win.finishIntakes();
        QDir().mkpath(win.temp("sub"));
        win.messages.answer = MessageSink::Answer::Cancel;
        win.ws().folder.emptyWorkFolder();
        QCOMPARE(win.messages.asked, QStringList{"作業ﾌｫﾙﾀﾞを空にして良いですが"});
        QCOMPARE(win.files().size(), 1); // cancelled
        win.messages.answer = MessageSink::Answer::Ok;
        win.ws().folder.emptyWorkFolder();
        win.finishIntakes();
        QVERIFY(win.files().isEmpty());
        QVERIFY(QFileInfo(win.temp("sub")).isDir()); // sub-folders stay
        QCOMPARE(win.list().count(), 0);
        QCOMPARE(win.session().viewState(), ViewState::Empty);
        QVERIFY(win.session().currentFile().isEmpty());
        QCOMPARE(win.session().picture().handle(), 0u);
        QVERIFY(!win.w->menus().item(Operation::Trim)->isEnabled()); // picture commands disabled
        win.ws().folder.saveToWorkFolder(); // nothing shown: nothing stored
        win.finishIntakes();
        QVERIFY(win.files().isEmpty());
    }

    // A store under way (here one held half-written on the storing thread, as a capture
    // being written is) ends whole; the emptying comes after it and takes its file too.
    void emptyingWaitsForTheStoreUnderWay() {
        Window win;
        QSemaphore writing, written;
        bool stored = false;
        WorkFolder& folder = win.ws().folder.folder();
        win.ws().folder.intake().queue().post<bool>(
            [&] {
                return folder
                    .store(QString(), QStringLiteral(".bmp"),
                           [&](QIODevice& dev) {
                               writing.release();
                               written.acquire();
                               return dev.write("BM") == 2;
                           })
                    .ok;
            },
            [&stored](bool ok) { stored = ok; });
        writing.acquire(); // its temporary file is open
        win.ws().folder.emptyWorkFolder();
        written.release();
        win.finishIntakes();
        QVERIFY(stored);
        QVERIFY(QDir(win.temp("")).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QCOMPARE(win.session().viewState(), ViewState::Empty);
        QVERIFY(win.messages.notices.isEmpty());
    }

    // The edits run from their keys and menus as steps of the picture's history.
    void editsAndTheirHistory() {
        Window win;
        win.showPicture(); // 10 x 8
        QImage original = win.picture().image();
        win.picture().setRange({2, 1, 6, 4});
        QWidget* focus = win.w.get();
        QTest::keyClick(focus, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(win.picture().image().size(), QSize(5, 4)); // both edges are inside
        QCOMPARE(win.session().viewState(), ViewState::Changed);
        QTest::keyClick(focus, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(win.picture().image().size(), QSize(4, 5));
        win.ws().edits.changeDepth(80);
        QCOMPARE(win.picture().depthCode(), 80);
        QVERIFY(win.w->menus().depthItems[3]->isChecked());
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(win.picture().image(), original);
        QCOMPARE(win.picture().depthCode(), 32);
        QCOMPARE(win.session().viewState(), ViewState::Stored); // back to the picture taken in
        QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(win.picture().image().size(), QSize(5, 4));
        QCOMPARE(win.session().viewState(), ViewState::Changed);
    }

    void registeredSizeSetsTheRange() {
        Window win;
        QImage img(500, 300, QImage::Format_RGB32);
        img.fill(Qt::white);
        img.setDotsPerMeterX(2835); // 72 dpi
        img.setDotsPerMeterY(2835);
        imaging::ImageModel m;
        m.setImage(img);
        m.resolutionX = m.resolutionY = 72;
        win.picture().replace(m);
        win.ws().edits.setRangeList(QStringLiteral("A,10,5,cm"));
        win.ws().edits.selectRegisteredRange(0);
        QCOMPARE(win.session().picture().resolutionX, 96);
        QCOMPARE(win.picture().range(), (imaging::Range{10, 10, 388, 199}));
    }

    void eraseImage() {
        Window win;
        win.showPicture();
        win.picture().setRange({1, 1, 5, 5});
        win.session().setCurrentFile(win.temp("a.bmp"));
        win.ws().edits.erase();
        QVERIFY(win.picture().range().isEmpty());
        QVERIFY(win.session().currentFile().isEmpty());
        QCOMPARE(win.session().viewState(), ViewState::Empty);
        QVERIFY(win.view().imageRectInViewport().isEmpty());
    }

    void keysAndToolbarReachTheirOperations() {
        Window win;
        win.w->show();
        QVERIFY(QTest::qWaitForWindowActive(win.w.get()));
        win.showPicture();
        // Keys go where the window system sends them: to the focused control.
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : win.w.get();
        QTest::keyClick(focus, Qt::Key_W, Qt::ControlModifier);
        win.finishIntakes();
        QCOMPARE(win.files(), QStringList{"001.bmp"});
        QTest::keyClick(focus, Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(focus, Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
        win.finishIntakes();
        QCOMPARE(win.files().size(), 1); // the modifiers must match exactly
        auto* button = win.w->findChild<QToolButton*>(QStringLiteral("imBtn2"));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        win.finishIntakes();
        QCOMPARE(win.files(), (QStringList{"001.bmp", "002.bmp"}));

        // The focused control still gets the key: the text view copies its selection.
        win.session().showText(QStringLiteral("選んだ"), QString());
        win.textView().setFocus();
        win.textView().selectAll();
        QGuiApplication::clipboard()->setText(QStringLiteral("old"));
        QTest::keyClick(&win.textView(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("選んだ"));
        QTest::keyClick(&win.textView(), Qt::Key_W, Qt::ControlModifier);
        win.finishIntakes();
        QCOMPARE(win.files().size(), 3); // also from inside the text view
    }

    void exploreWorkFolder() {
        Window win;
        QStringList opened;
        bool accept = true;
        const shell::Opener saved = shell::opener();
        shell::opener() = [&](const QString& p) {
            opened << p;
            return accept;
        };
        win.w->show();
        QVERIFY(QTest::qWaitForWindowActive(win.w.get()));
        QTest::mouseClick(win.w->findChild<QToolButton*>(QStringLiteral("imBtn3")), Qt::LeftButton);
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : win.w.get();
        QTest::keyClick(focus, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(opened, QStringList(2, win.ws().folder.folder().path()));
        accept = false; // no file manager took it: the user hears of it
        win.ws().folder.exploreWorkFolder();
        QCOMPARE(win.messages.notices.size(), 1);
        QDir(win.ws().folder.folder().path()).removeRecursively();
        win.ws().folder.exploreWorkFolder(); // a missing folder is not opened, and is no error
        QCOMPARE(opened.size(), 3);
        QCOMPARE(win.messages.notices.size(), 1);
        shell::opener() = saved;
    }

    void optionMarksAtStart() {
        Window win;
        QVERIFY(win.w->menus().pointerItems[0]->isChecked());
        QVERIFY(win.w->menus().copyItems[0]->isChecked());
        QVERIFY(win.w->menus().reductionItems[0]->isChecked());
        win.w->menus().copyItems[1]->trigger();
        QVERIFY(!win.ws().folder.captureOptions().takeCopies); // the value follows the menu at once
    }
};

QTEST_MAIN(TestFolderCommands)
#include "tst_foldercommands.moc"
