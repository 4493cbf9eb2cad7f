// The main window's list, viewers, view state, scale display and capture wait.
#include "core/TextCodec.h"
#include "imaging/ImageView.h"
#include "mainwindow/FileList.h"
#include "mainwindow/FolderStamp.h"
#include "mainwindow/TopBand.h"
#include "mainwindow/fmMain.h"
#include "platform/null/NullDesktop.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
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
    QCheckBox& checkButtons(int i) { return *w->topBand().checkButtons[size_t(i)]; }
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
        QCOMPARE(win.w->topBand().Text1->toolTip(),
                 QStringLiteral("画像を連番で保存時の連番の前部分"));
        QCOMPARE(win.w->File1().geometry().top(), 23); // 340 twips
    }

    void showFileSwitchesViewers() {
        Window win;
        win.writePicture("001.bmp", qRgb(1, 2, 3));
        win.writeText("002.TXT", textcodec::toCp932(QStringLiteral("ﾃｷｽﾄ 本文")));
        win.w->RefreshFileList();
        QCOMPARE(win.w->File1().count(), 2);

        QVERIFY(win.w->File1().selectName("002.txt"));
        QVERIFY(win.w->textShown());
        QCOMPARE(win.w->Rtxt().toPlainText(), QStringLiteral("ﾃｷｽﾄ 本文"));
        QVERIFY(win.w->Rtxt().isVisible());
        QVERIFY(!win.w->view().isVisible());
        QVERIFY(!win.checkButtons(0).isEnabled());
        QCOMPARE(win.w->viewState(), ViewState::Text);

        QVERIFY(win.w->File1().selectName("001.bmp"));
        QVERIFY(!win.w->textShown());
        QVERIFY(win.w->view().isVisible());
        QVERIFY(win.checkButtons(0).isEnabled());
        QCOMPARE(win.w->currentFile(), win.temp("001.bmp"));
        QCOMPARE(win.w->picture().model().image().pixel(0, 0), qRgb(1, 2, 3));
        QCOMPARE(win.w->viewState(), ViewState::Stored);
    }

    void unreadablePictureKeepsCurrentFile() {
        Window win;
        win.writePicture("001.bmp", qRgb(1, 2, 3));
        win.writeText("002.bmp", "not a picture");
        win.w->ShowFile(win.temp("001.bmp"));
        win.w->ShowFile(win.temp("002.bmp"));
        QCOMPARE(win.w->currentFile(), win.temp("001.bmp"));
        QCOMPARE(win.w->viewState(), ViewState::Stored);
        QCOMPARE(win.w->picture().model().image().pixel(0, 0), qRgb(1, 2, 3));
    }

    void everyClickOnAFileShowsIt() {
        Window win;
        win.writePicture("001.bmp", qRgb(1, 2, 3));
        win.writePicture("002.bmp", qRgb(4, 5, 6));
        win.w->RefreshFileList();
        QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
        FileList& list = win.w->File1();
        QSignalSpy shown(win.w.get(), &fmMain::viewStateChanged);
        auto click = [&](int row) {
            shown.clear();
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                              list.visualItemRect(list.item(row)).center());
        };
        click(0);
        QCOMPARE(shown.size(), 1); // once, not once per signal
        QCOMPARE(win.w->currentFile(), win.temp("001.bmp"));
        win.w->EraseImage();
        QVERIFY(win.w->currentFile().isEmpty());
        click(0); // already selected
        QCOMPARE(shown.size(), 1);
        QCOMPARE(win.w->currentFile(), win.temp("001.bmp"));
        QCOMPARE(win.w->viewState(), ViewState::Stored);
        click(1);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(win.w->currentFile(), win.temp("002.bmp"));
    }

    void relayoutKeepsTheFolderCheckCounting() {
        Window win;
        QTimer& timer = win.w->Timer1();
        QVERIFY(timer.isActive());
        // A coarse timer's remaining time may run past its interval; a precise one's does not.
        timer.setTimerType(Qt::PreciseTimer);
        timer.start();
        QTest::qSleep(60);
        for (int i = 0; i < 5; ++i) {
            win.w->resize(win.w->width() + 10, win.w->height() + 5);
            win.w->LayoutWindow();
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
                QVERIFY(win.w->File1().selectName("a.txt"));
            QCOMPARE(win.w->textShown(), text);
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
        QCOMPARE(win.w->topBand().lbCom[0]->accessibleName(), QStringLiteral("ﾌｧｲﾙ(F)"));
        QCOMPARE(win.w->findChild<QWidget*>("imBtn3")->accessibleName(),
                 QStringLiteral("Ctrl+W 作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開きます"));
    }

    void refreshSelectsCurrentFileWithoutShowingIt() {
        Window win;
        win.writePicture("A001.BMP", qRgb(5, 5, 5));
        win.writePicture("b.bmp", qRgb(6, 6, 6));
        win.w->setCurrentFile(win.temp("a001.bmp")); // case differs from the listed name
        win.w->RefreshFileList();
        QCOMPARE(win.w->File1().selectedName(), QStringLiteral("A001.BMP"));
        QCOMPARE(win.w->picture().model().handle(), 0u); // selected, not loaded again
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
        win.w->picture().setZoom(2.0, 3.0);
        win.checkButtons(0).setChecked(true);
        QCOMPARE(win.w->displayMode(), 1);
        win.checkButtons(0).setChecked(false);
        QCOMPARE(win.w->displayMode(), 3);
        QCOMPARE(win.w->picture().model().zoomX, 1.0);
        QCOMPARE(win.w->picture().model().zoomY, 1.0);
        win.w->picture().setZoom(2.0, 1.0);
        win.checkButtons(0).setChecked(true);
        QCOMPARE(win.w->picture().model().zoomX, 2.0); // turning it on keeps the factors
    }

    void captureWaitFollowsTheCheckButton() {
        Window win;
        win.writePicture("007.bmp", qRgb(0, 0, 0));
        win.checkButtons(1).setChecked(true);
        QVERIFY(win.w->watcher().hooked());
        win.w->finishIntakes();
        QCOMPARE(win.w->workFolder().nextNumber(), 8); // rescanned on entering
        win.checkButtons(1).setChecked(false);
        QVERIFY(!win.w->watcher().hooked());
        win.checkButtons(1).setChecked(true); // checking it minimises the window
        QTRY_VERIFY(win.w->isMinimized());
        QVERIFY(win.checkButtons(1).isChecked());
        win.w->showNormal(); // restoring leaves capture wait
        QTRY_VERIFY(!win.checkButtons(1).isChecked());
        QVERIFY(!win.w->watcher().hooked());
        QVERIFY(!win.w->captureSession().waiting());
        win.w->showMinimized(); // minimising enters it
        QTRY_VERIFY(win.w->watcher().hooked());
        QVERIFY(win.checkButtons(1).isChecked() && win.w->captureSession().waiting());
    }

    void prefixIsCheckedWhenTyped() {
        Window win;
        QLineEdit& box = *win.w->topBand().Text1;
        QTest::keyClicks(&box, QStringLiteral("ab"));
        QCOMPARE(win.w->prefix(), QStringLiteral("ab"));
        QTest::keyClicks(&box, QStringLiteral("/"));
        QCOMPARE(win.messages.asked.size(), 1);
        QCOMPARE(box.text(), QStringLiteral("ab"));
        QCOMPARE(win.w->prefix(), QStringLiteral("ab"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
