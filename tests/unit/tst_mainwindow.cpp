// The main window's list, viewers, view state, scale display and capture wait.
#include "core/TextCodec.h"
#include "imaging/ImageView.h"
#include "mainwindow/FileList.h"
#include "mainwindow/FolderStamp.h"
#include "mainwindow/TopBand.h"
#include "mainwindow/fmMain.h"
#include "platform/null/NullDesktop.h"
#include "settings/Shell.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Window : WindowFixture {
    Window() { w->show(); }
    void writePicture(const QString& name, QRgb colour) {
        QImage img(8, 6, QImage::Format_RGB32);
        img.fill(colour);
        QVERIFY(img.save(temp(name), "BMP"));
    }
    void writeText(const QString& name, const QByteArray& bytes) {
        QFile f(temp(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QCheckBox& checkButtons(int i) { return i == 0 ? *band().scaleDisplay : *band().captureWait; }
};
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void designedBand() {
        Window win;
        QCOMPARE(win.w->windowTitle(), QStringLiteral("Tolvik"));
        QCOMPARE(win.checkButtons(0).text(), QStringLiteral("ｽｹｰﾙ表示"));
        QCOMPARE(win.checkButtons(1).text(), QStringLiteral("ｷｬﾌﾞﾁｬｰ待機"));
        QCOMPARE(win.checkButtons(1).geometry(),
                 QRect(489, 1, 93, 17)); // 7335, 15, 1395, 255 twips
        QCOMPARE(win.band().prefixBox->toolTip(),
                 QStringLiteral("画像を連番で保存時の連番の前部分"));
        QCOMPARE(win.list().geometry().top(), 23); // 340 twips
    }

    void showFileSwitchesViewers() {
        Window win;
        win.writePicture("001.bmp", qRgb(1, 2, 3));
        win.writeText("002.TXT", textcodec::toCp932(QStringLiteral("ﾃｷｽﾄ 本文")));
        win.w->RefreshFileList();
        QCOMPARE(win.list().count(), 2);

        QVERIFY(win.list().selectName("002.txt"));

        win.idle();
        QVERIFY(win.session().textShown());
        QCOMPARE(win.textView().toPlainText(), QStringLiteral("ﾃｷｽﾄ 本文"));
        QVERIFY(win.textView().isVisible());
        QVERIFY(!win.view().isVisible());
        QVERIFY(!win.checkButtons(0).isEnabled());
        QCOMPARE(win.session().viewState(), ViewState::Text);

        QVERIFY(win.list().selectName("001.bmp"));

        win.idle();
        QVERIFY(!win.session().textShown());
        QVERIFY(win.view().isVisible());
        QVERIFY(win.checkButtons(0).isEnabled());
        QCOMPARE(win.session().currentFile(), win.temp("001.bmp"));
        QCOMPARE(win.session().picture().image().pixel(0, 0), qRgb(1, 2, 3));
        QCOMPARE(win.session().viewState(), ViewState::Stored);
    }

    void unreadablePictureKeepsCurrentFile() {
        Window win;
        win.writePicture("001.bmp", qRgb(1, 2, 3));
        win.writeText("002.bmp", "not a picture");
        win.showFile(win.temp("001.bmp"));
        win.showFile(win.temp("002.bmp"));
        QCOMPARE(win.session().currentFile(), win.temp("001.bmp"));
        QCOMPARE(win.session().viewState(), ViewState::Stored);
        QCOMPARE(win.session().picture().image().pixel(0, 0), qRgb(1, 2, 3));
    }

    void everyClickOnAFileShowsIt() {
        Window win;
        win.writePicture("001.bmp", qRgb(1, 2, 3));
        win.writePicture("002.bmp", qRgb(4, 5, 6));
        win.w->RefreshFileList();
        QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
        FileList& list = win.list();
        QSignalSpy shown(&win.session(), &PictureSession::viewStateChanged);
        auto click = [&](int row) {
            shown.clear();
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                              list.visualItemRect(list.item(row)).center());
        };
        click(0);
        QTRY_COMPARE(shown.size(), 1); // once, not once per signal
        QCOMPARE(win.session().currentFile(), win.temp("001.bmp"));
        win.ws().edits.erase();
        QVERIFY(win.session().currentFile().isEmpty());
        click(0); // already selected
        QTRY_COMPARE(shown.size(), 1);
        QCOMPARE(win.session().currentFile(), win.temp("001.bmp"));
        QCOMPARE(win.session().viewState(), ViewState::Stored);
        click(1);
        QTRY_COMPARE(shown.size(), 1);
        QCOMPARE(win.session().currentFile(), win.temp("002.bmp"));
    }

    void relayoutKeepsTheFolderCheckCounting() {
        Window win;
        QTimer& timer = *win.w->findChild<QTimer*>(QStringLiteral("Timer1"));
        win.w->show();
        QVERIFY(timer.isActive());
        // A coarse timer's remaining time may run past its interval; a precise one's does not.
        timer.setTimerType(Qt::PreciseTimer);
        timer.start();
        QTest::qSleep(60);
        for (int i = 0; i < 5; ++i) {
            win.w->resize(win.w->width() + 10, win.w->height() + 5);
        }
        QVERIFY(timer.isActive());
        QVERIFY2(timer.remainingTime() <= timer.interval() - 50,
                 qPrintable(QString::number(timer.remainingTime())));
    }

    void everyControlIsNamed() {
        Window win;
        win.writeText("a.txt", "text");
        win.w->RefreshFileList();
        for (bool text : {false, true}) {
            if (text)
                QVERIFY(win.list().selectName("a.txt"));
            win.idle();
            QCOMPARE(win.session().textShown(), text);
            int checked = 0;
            for (QWidget* c : win.w->findChildren<QWidget*>()) {
                // The parts of a list or a viewer belong to it.
                bool part = false;
                for (QWidget* p = c->parentWidget(); p && p != win.w.get(); p = p->parentWidget())
                    part = part || qobject_cast<QAbstractScrollArea*>(p);
                const bool interactive = qobject_cast<QAbstractButton*>(c) ||
                                         qobject_cast<QLabel*>(c) || qobject_cast<QLineEdit*>(c) ||
                                         qobject_cast<QAbstractScrollArea*>(c) ||
                                         c->focusPolicy() != Qt::NoFocus;
                if (part || !interactive || !c->isVisibleTo(win.w.get()))
                    continue;
                QVERIFY2(!c->accessibleName().isEmpty(),
                         qPrintable(QString::fromLatin1(c->metaObject()->className()) + u' ' +
                                    c->objectName()));
                ++checked;
            }
            // Menu and prefix labels, buttons, check buttons, prefix box, list, viewer.
            QCOMPARE(checked, 5 + 8 + 2 + 1 + 1 + 1);
        }
        QCOMPARE(win.band().menuLabels[0]->accessibleName(), QStringLiteral("ﾌｧｲﾙ(F)"));
        QCOMPARE(win.w->findChild<QWidget*>("imBtn3")->accessibleName(),
                 QStringLiteral("Ctrl+E 作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開きます"));
    }

    void altWithTheUnderlinedLetterOpensItsMenu() {
        Window win;
        win.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(win.w.get()));
        PopupMenus& menus = win.w->menus();
        menus.popup = [](QMenu* m) { m->popup(QPoint(0, 0)); }; // shown without blocking
        const std::pair<Qt::Key, QMenu*> keys[] = {{Qt::Key_F, menus.popups[0]},
                                                   {Qt::Key_E, menus.popups[1]},
                                                   {Qt::Key_U, menus.popups[2]}};
        for (const auto& [key, menu] : keys) {
            QTest::keyClick(win.w.get(), key, Qt::AltModifier);
            QVERIFY(menu->isVisible());
            for (QMenu* other : menus.popups)
                QCOMPARE(other->isVisible(), other == menu);
            menu->close();
            QTRY_VERIFY(win.w->isActiveWindow());
        }
        const shell::UrlOpener saved = shell::urlOpener();
        QList<QUrl> opened;
        shell::urlOpener() = [&](const QUrl& u) {
            opened << u;
            return true;
        };
        QTest::keyClick(win.w.get(), Qt::Key_H, Qt::AltModifier);
        shell::urlOpener() = saved;
        QCOMPARE(opened.size(), 1);
        QVERIFY2(opened[0].toString().endsWith(u"tolvik.htm"), qPrintable(opened[0].toString()));
    }

    void refreshSelectsCurrentFileWithoutShowingIt() {
        Window win;
        win.writePicture("A001.BMP", qRgb(5, 5, 5));
        win.writePicture("b.bmp", qRgb(6, 6, 6));
        win.session().setCurrentFile(win.temp("a001.bmp")); // case differs from the listed name
        win.w->RefreshFileList();
        QCOMPARE(win.list().selectedName(), QStringLiteral("A001.BMP"));
        QCOMPARE(win.session().picture().handle(), 0u); // selected, not loaded again
    }

    void folderStampSeesNewFiles() {
        QTemporaryDir tmp;
        FolderStamp stamp;
        QVERIFY(stamp.changed(tmp.path())); // the first tick always refreshes
        QVERIFY(!stamp.changed(tmp.path()));
        QTest::qWait(30); // past the file system's clock step
        QFile f(tmp.filePath("x.bmp"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(stamp.changed(tmp.path()));
        QVERIFY(!stamp.changed(tmp.path()));
        QVERIFY(stamp.changed(tmp.filePath("gone"))); // a folder that went away
    }

    void scaleDisplay() {
        Window win;
        win.session().zoomTo(2.0);
        QVERIFY(!win.checkButtons(0).isChecked()); // a zoom is not fit to the window
        win.checkButtons(0).setChecked(true);
        QCOMPARE(win.session().displayMode(), 1);
        win.checkButtons(0).setChecked(false);
        QCOMPARE(win.session().displayMode(), 3);
        QCOMPARE(win.session().zoom(), 1.0);
        win.session().zoomTo(2.0);
        win.checkButtons(0).setChecked(true);
        QCOMPARE(win.session().zoom(), 2.0); // turning it on keeps the factor
    }

    void captureWaitFollowsTheCheckButton() {
        Window win;
        win.writePicture("007.bmp", qRgb(0, 0, 0));
        win.checkButtons(1).setChecked(true);
        QVERIFY(win.ws().folder.watcher().hooked());
        win.finishIntakes();
        QCOMPARE(win.ws().folder.folder().nextNumber(), 8); // rescanned on entering
        win.checkButtons(1).setChecked(false);
        QVERIFY(!win.ws().folder.watcher().hooked());
        win.checkButtons(1).setChecked(true); // checking it minimises the window
        QTRY_VERIFY(win.w->isMinimized());
        QVERIFY(win.checkButtons(1).isChecked());
        win.w->showNormal(); // restoring leaves capture wait
        QTRY_VERIFY(!win.checkButtons(1).isChecked());
        QVERIFY(!win.ws().folder.watcher().hooked());
        QVERIFY(!win.ws().folder.captureWait().waiting());
        win.w->showMinimized(); // minimising enters it
        QTRY_VERIFY(win.ws().folder.watcher().hooked());
        QVERIFY(win.checkButtons(1).isChecked() && win.ws().folder.captureWait().waiting());
    }

    void prefixIsCheckedWhenTyped() {
        Window win;
        QLineEdit& box = *win.band().prefixBox;
        QTest::keyClicks(&box, QStringLiteral("ab"));
        QCOMPARE(win.ws().folder.prefix(), QStringLiteral("ab"));
        QTest::keyClicks(&box, QStringLiteral("/"));
        QCOMPARE(win.messages.asked.size(), 1);
        QCOMPARE(box.text(), QStringLiteral("ab"));
        QCOMPARE(win.ws().folder.prefix(), QStringLiteral("ab"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
