// Edits are never lost: commands see every edit asked before them, nothing replaces an edited
// picture without asking, and the window knows which step of the history is in the file.
#include "commands/PopupMenus.h"
#include "mainwindow/FileList.h"
#include "windowfixture.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QtTest>

namespace {

QImage solid(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

struct Window : WindowFixture {
    // Two pictures in the work folder, the first one shown from the list.
    Window() {
        solid(40, 30, qRgb(200, 10, 10)).save(temp("001.bmp"), "BMP");
        solid(20, 10, qRgb(10, 200, 10)).save(temp("002.bmp"), "BMP");
        w->RefreshFileList();
        click("001.bmp");
    }
    void click(const QString& name) {
        const auto items = list().findItems(name, Qt::MatchFixedString);
        QVERIFY(!items.isEmpty());
        list().setCurrentItem(items.first());
        idle();
    }
    void trim() {
        picture().setRange({1, 1, 10, 10});
        ws().edits.edit(Operation::Trim);
    }
    QSize shown() { return picture().image().size(); }
    QSize fileSize(const QString& name) const { return QImage(temp(name)).size(); }
};

} // namespace

class TestUnsavedEdits : public QObject {
    Q_OBJECT
private slots:
    // An edit running in the background is done before a command reads the picture.
    void commandsWaitForTheEditsAskedBefore() {
        Window win;
        win.picture().setBackgroundThreshold(1);
        win.ws().edits.edit(Operation::RotateRight90);
        win.ws().folder.saveToWorkFolder(); // at once, as Ctrl+R then Ctrl+W
        QTRY_COMPARE(win.files().size(), 3);
        QCOMPARE(win.fileSize("003.bmp"), QSize(30, 40));

        win.ws().edits.edit(Operation::RotateRight90);
        win.ws().files.save(false); // over 003.bmp, the current file
        win.ws().edits.copyPicture(false);
        QTRY_COMPARE(win.fileSize("003.bmp"), QSize(40, 30));
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(40, 30));
    }

    // Another file, erasing, pasting and ending the program ask first; cancel keeps the edit.
    void replacingAnEditedPictureAsks() {
        Window win;
        win.trim();
        QCOMPARE(win.session().viewState(), ViewState::Changed);
        win.messages.saveChoice = MessageSink::Answer::Cancel;
        win.click("002.bmp");
        QCOMPARE(win.messages.asked.size(), 1);
        QVERIFY(win.messages.asked.first().contains(QStringLiteral("001.bmp")));
        QCOMPARE(win.shown(), QSize(10, 10));
        QVERIFY(win.session().currentFile().endsWith(QStringLiteral("001.bmp")));
        QCOMPARE(win.list().selectedName(), QStringLiteral("001.bmp"));
        win.ws().edits.erase();
        QGuiApplication::clipboard()->setImage(solid(5, 5, qRgb(1, 2, 3)));
        win.ws().edits.pastePicture();
        win.idle();
        win.w->SaveWindowSettings();
        QCOMPARE(win.messages.asked.size(), 4);
        QCOMPARE(win.shown(), QSize(10, 10));
        QCOMPARE(win.session().viewState(), ViewState::Changed);

        // Save: the file takes the edit, then the other file is shown.
        win.messages.saveChoice = MessageSink::Answer::Save;
        win.click("002.bmp");
        QCOMPARE(win.shown(), QSize(20, 10));
        QCOMPARE(win.fileSize("001.bmp"), QSize(10, 10));

        // Discard: the edit goes, the file stays as it was.
        win.trim();
        win.messages.saveChoice = MessageSink::Answer::Discard;
        win.click("001.bmp");
        QCOMPARE(win.picture().image().pixel(0, 0), qRgb(200, 10, 10));
        QCOMPARE(win.fileSize("002.bmp"), QSize(20, 10));
        QCOMPARE(win.session().viewState(), ViewState::Stored);
    }

    // A capture while an edited picture is shown is stored and told, the edit stays in view.
    void captureKeepsTheEditedPictureInView() {
        Window win;
        win.trim();
        platform::ClipboardSnapshot offer;
        offer.picture = solid(50, 40, qRgb(0, 0, 255));
        win.ws().folder.captureOffered(offer);
        win.finishIntakes();
        QTRY_VERIFY(!win.messages.notices.isEmpty());
        QVERIFY(win.messages.notices.last().contains(win.temp("003.bmp")));
        QCOMPARE(win.fileSize("003.bmp"), QSize(50, 40));
        QCOMPARE(win.shown(), QSize(10, 10));
        QVERIFY(win.session().currentFile().endsWith(QStringLiteral("001.bmp")));
    }

    // Saving marks the step in the file; undo away from it enables saving again.
    void theStoredStepIsKnown() {
        Window win;
        QAction* overwrite = win.w->menus().item(Operation::Overwrite);
        win.trim();
        win.ws().files.save(false);
        QTRY_COMPARE(win.fileSize("001.bmp"), QSize(10, 10));
        QCOMPARE(win.session().viewState(), ViewState::Stored);
        win.session().undo(false);
        QCOMPARE(win.shown(), QSize(40, 30));
        QCOMPARE(win.session().viewState(), ViewState::Changed); // differs from the file now
        QVERIFY(overwrite->isEnabled());
        win.session().undo(true);
        QCOMPARE(win.session().viewState(), ViewState::Stored);

        // With the oldest steps dropped, going back as far as possible is still not the file.
        win.picture().setHistoryLimit(3 * win.picture().image().sizeInBytes());
        win.picture().setRange({0, 0, 5, 5});
        for (int i = 0; i < 6; ++i)
            win.ws().edits.edit(Operation::EmphasizeRelative);
        while (win.picture().history().canUndo())
            win.session().undo(false);
        QCOMPARE(win.session().viewState(), ViewState::Changed);
    }

    // Undo keeps the 96 dpi of a registered range, and does nothing while a text is shown.
    void undoKeepsResolutionAndLeavesTextAlone() {
        Window win;
        win.picture().setResolution(72, 72);
        win.ws().edits.edit(Operation::RotateRight90);
        win.ws().edits.setRangeList(QStringLiteral("A,1,1,cm"));
        win.ws().edits.selectRegisteredRange(0);
        win.session().undo(false);
        QCOMPARE(win.session().picture().resolutionX, 96);
        QCOMPARE(win.picture().image().dotsPerMeterX(), 3780);

        win.ws().edits.edit(Operation::RotateRight90);
        QFile text(win.temp("003.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("note");
        text.close();
        win.showFile(win.temp("003.txt"));
        win.session().undo(false);
        QCOMPARE(win.session().viewState(), ViewState::Text);
        QCOMPARE(win.textView().toPlainText(), QStringLiteral("note"));
        QCOMPARE(win.shown(), QSize(30, 40)); // the hidden picture kept its turn
    }
};

QTEST_MAIN(TestUnsavedEdits)
#include "tst_unsavededits.moc"
