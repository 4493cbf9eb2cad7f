// Opening, saving and printing pictures from the main window, and the print size rule.
#include "core/TextCodec.h"
#include "imaging/PictureFiles.h"
#include "imaging/PrintLayout.h"
#include "settings/PrinterSettings.h"
#include "windowfixture.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QtTest>

#include <sys/stat.h>

namespace {
QImage colourful(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 7 & 255, y * 5 & 255, (x ^ y) & 255));
    return img;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void show(WindowFixture& f, const QImage& img) {
    imaging::ImageModel m;
    m.setImage(img);
    f.session().showPicture(m, QString());
}
} // namespace

class TestFileCommands : public QObject {
    Q_OBJECT
private slots:
    void openThroughTheDialog() {
        WindowFixture f;
        const QString path = f.data.filePath("in.png");
        QVERIFY(colourful(12, 9).save(path));
        f.messages.openAnswer = path;
        f.ws().files.open();
        f.idle();
        QCOMPARE(f.messages.dialogs, QStringList{"open 画像ﾌｧｲﾙを開く"});
        QCOMPARE(f.picture().image().size(), QSize(12, 9));
        QCOMPARE(f.session().currentFile(), path);
        QCOMPARE(f.session().viewState(), ViewState::Stored);

        // Cancelled: nothing changes; a file that does not open is told.
        f.messages.openAnswer.clear();
        f.ws().files.open();
        f.idle();
        QCOMPARE(f.session().currentFile(), path);
        QFile bad(f.data.filePath("bad.png"));
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("not a picture") > 0);
        bad.close();
        f.messages.openAnswer = bad.fileName();
        f.ws().files.open();
        f.idle();
        QCOMPARE(f.session().currentFile(), path);
        QCOMPARE(f.messages.notices.size(), 1);
    }

    // A 24-bit picture saved as GIF: written at 8 bits, and the view takes that depth as
    // one undoable step. The current file stays; saving over it asks nothing.
    void saveAsConvertsAndOverwriteKeepsTheFile() {
        WindowFixture f;
        show(f, colourful(40, 30));
        f.session().setCurrentFile(f.data.filePath("orig.bmp"));
        f.messages.saveAnswer = f.data.filePath("A.GIF");
        f.ws().files.save(true);
        QTRY_VERIFY(QFile::exists(f.data.filePath("A.gif")));
        QTRY_COMPARE(f.picture().depthCode(), 8);
        QCOMPARE(f.picture().history().count(), 1);
        QCOMPARE(imaging::loadPicture(f.data.filePath("A.gif")).depthCode, 8);
        QCOMPARE(f.session().currentFile(), f.data.filePath("orig.bmp"));

        f.ws().files.save(false);
        QTRY_VERIFY(QFile::exists(f.data.filePath("orig.bmp")));
        QCOMPARE(f.messages.dialogs, QStringList{"save"});
        QVERIFY(f.messages.notices.isEmpty());
    }

    void failedSaveIsTold() {
        WindowFixture f;
        show(f, colourful(8, 8));
        QVERIFY(QDir().mkdir(f.data.filePath("folder.png")));
        f.messages.saveAnswer = f.data.filePath("folder.png");
        f.ws().files.save(true); // asked about, then refused by the file system
        QTRY_COMPARE(f.messages.notices.size(), 1);
        f.messages.saveAnswer = f.data.filePath("no/such/folder/x.png");
        f.ws().files.save(true);
        QTRY_COMPARE(f.messages.notices.size(), 2);
    }

    // "上書保存" writes the current file itself, whatever the case of its extension; a
    // current file in a format not written here asks for a name.
    void saveOverWritesTheCurrentFile() {
        WindowFixture f;
        const QString camera = f.data.filePath("IMG_0001.JPG");
        QVERIFY(colourful(30, 20).save(camera, "jpeg"));
        show(f, colourful(16, 12));
        f.session().setCurrentFile(camera);
        f.ws().files.save(false);
        QTRY_COMPARE(imaging::loadPicture(camera).picture.size(), QSize(16, 12));
        QCOMPARE(QDir(f.data.path()).entryList({"IMG*"}), QStringList{"IMG_0001.JPG"});
        f.idle(); // the save's outcome taken in
        f.session().setCurrentFile(f.data.filePath("notes.txt"));
        f.ws().files.save(false); // the dialog, cancelled
        QCOMPARE(f.messages.dialogs, QStringList{"save"});
        QVERIFY(f.messages.notices.isEmpty());
    }

    // "名前を付けて保存": the type chosen gives a name without one its extension, and the
    // final name is asked about before an existing file is replaced.
    void saveAsTakesTheTypeAndAsksBeforeReplacing() {
        WindowFixture f;
        show(f, colourful(10, 10));
        f.messages.saveAnswer = f.data.filePath("r_out");
        f.messages.saveFilterAnswer = QStringLiteral("PNG (*.png)");
        f.ws().files.save(true);
        QTRY_VERIFY(readAll(f.data.filePath("r_out.png")).startsWith("\x89PNG"));
        QVERIFY(!f.messages.saveFilters.contains(QStringLiteral("FPX")));
        f.idle(); // the save's outcome taken in: the next one asks at once

        const QString shot = f.data.filePath("shot.bmp");
        QVERIFY(QFile::copy(f.data.filePath("r_out.png"), shot));
        f.messages.saveAnswer = f.data.filePath("shot");
        f.messages.saveFilterAnswer = QStringLiteral("BMP (*.bmp)");
        f.messages.answer = MessageSink::Answer::Cancel;
        f.ws().files.save(true);
        QCOMPARE(f.messages.asked, QStringList{u"shot.bmp は既にあります。置き換えますか?"_qs});
        f.messages.answer = MessageSink::Answer::Ok;
        f.ws().files.save(true);
        QTRY_VERIFY(readAll(shot).startsWith("BM"));
        QCOMPARE(f.messages.asked.size(), 2);
    }

    // Only regular files are opened: a FIFO is told, not waited on. A long text shows its
    // beginning, also through a link, and says so; a picture that does not open is told.
    void onlyRegularFilesAndTheBeginningOfLongTexts() {
        WindowFixture f;
        const QByteArray line = u"テキスト 0123456789"_qs.toUtf8() + '\n';
        QFile big(f.data.filePath("big.txt"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.write(line.repeated(300'000)) > 0);
        big.close();
        for (const char* name : {"link.txt", "text.png"})
            QVERIFY(QFile::link(big.fileName(), f.data.filePath(name)));
        f.showFile(f.data.filePath("link.txt"));
        const QString shown = f.textView().toPlainText();
        QVERIFY(shown.startsWith(u"テキスト"_qs));
        QVERIFY(shown.endsWith(u"\n… (先頭の 4 MB だけを表示しています)"_qs));
        QCOMPARE(shown.count(u'\n'), int(textcodec::kShownTextBytes / line.size()));

        const QString fifo = f.data.filePath("x.png"), pipe = f.data.filePath("y.txt");
        QVERIFY(::mkfifo(QFile::encodeName(fifo), 0600) == 0 &&
                ::mkfifo(QFile::encodeName(pipe), 0600) == 0);
        f.messages.openAnswer = fifo;
        f.ws().files.open();
        f.idle();
        f.showFile(pipe);
        f.showFile(f.data.filePath("text.png"));
        QCOMPARE(f.messages.notices.size(), 3);
    }

    void printSize() {
        QCOMPARE(imaging::printedSize({2000, 1000}, 96, 96), QSize(5292, 2646));
        QCOMPARE(imaging::fittedSize({5292, 2646}, {2000, 2800}), QSize(2000, 1000));
        QCOMPARE(imaging::fittedSize({500, 400}, {2000, 2800}), QSize(500, 400)); // not enlarged
        QCOMPARE(imaging::printedSize({720, 360}, 0, 0), QSize(2540, 1270));      // 0 is 72 dpi
    }

    // The first print asks for the printer; its choice is kept in IkPrn.Ik and used by the
    // next print without asking. "印刷設定" always asks, starting from the kept choice. A
    // printer that is gone asks again.
    void printKeepsItsSettings() {
        WindowFixture f;
        QImage img = colourful(200, 100);
        show(f, img);
        const QString pdf = f.data.filePath("out.pdf");
        QStringList offered; // the output the dialog opened with
        f.messages.printerAnswer = [&](QPrinter& p) {
            offered << p.outputFileName();
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
            p.setPageOrientation(QPageLayout::Landscape);
            return true;
        };
        f.ws().files.print(false);
        QVERIFY(QFile(pdf).size() > 0);
        const auto kept = PrinterSettings::load(f.data.filePath("IkPrn.Ik"));
        QVERIFY(kept);
        QCOMPARE(kept->outputFile, pdf);
        QVERIFY(kept->landscape);
        QFile::remove(pdf);
        f.ws().files.print(false);
        QVERIFY(QFile(pdf).size() > 0);
        QCOMPARE(f.messages.dialogs, QStringList{"printer"});
        f.ws().files.print(true); // "印刷設定", from the kept choice
        QCOMPARE(f.messages.dialogs, (QStringList{"printer", "printer"}));
        QCOMPARE(offered, (QStringList{QString(), pdf}));

        PrinterSettings gone;
        gone.printer = QStringLiteral("no-such-printer");
        QVERIFY(gone.save(f.data.filePath("IkPrn.Ik")));
        f.messages.printerAnswer = [](QPrinter&) { return false; };
        f.ws().files.print(false);
        QCOMPARE(f.messages.dialogs.size(), 3);
    }

    // A print that fails (its folder removed) is told, and the next print asks first.
    void failedPrintAsksNextTime() {
        WindowFixture f;
        show(f, colourful(20, 10));
        PrinterSettings kept;
        kept.outputFile = f.data.filePath("removed/out.pdf");
        QVERIFY(kept.save(f.data.filePath("IkPrn.Ik")));
        f.ws().files.print(false);
        QCOMPARE(f.messages.notices.size(), 1);
        f.messages.printerAnswer = [&](QPrinter& p) {
            p.setOutputFileName(f.data.filePath("out.pdf"));
            return true;
        };
        f.ws().files.print(false);
        f.ws().files.print(false); // worked again: used without asking
        QCOMPARE(f.messages.dialogs, QStringList{"printer"});
        QVERIFY(QFile(f.data.filePath("out.pdf")).size() > 0);
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
