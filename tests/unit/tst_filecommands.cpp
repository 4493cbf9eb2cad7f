// Opening, saving and printing pictures from the main window, and the print size rule.
#include "imaging/PictureFiles.h"
#include "imaging/PrintLayout.h"
#include "settings/PrinterSettings.h"
#include "windowfixture.h"

#include <QFile>
#include <QPrinter>
#include <QtTest>

namespace {
QImage colourful(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 7 & 255, y * 5 & 255, (x ^ y) & 255));
    return img;
}

void show(WindowFixture& f, const QImage& img) {
    imaging::ImageModel m;
    m.setImage(img);
    f.w->picture().replace(m);
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
        f.w->OpenImageFile();
        QCOMPARE(f.messages.dialogs, QStringList{"open 画像ﾌｧｲﾙを開く"});
        QCOMPARE(f.w->picture().image().size(), QSize(12, 9));
        QCOMPARE(f.w->currentFile(), path);
        QCOMPARE(f.w->viewState(), ViewState::Stored);

        // Cancelled: nothing changes; a file that does not open is told.
        f.messages.openAnswer.clear();
        f.w->OpenImageFile();
        QCOMPARE(f.w->currentFile(), path);
        QFile bad(f.data.filePath("bad.png"));
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("not a picture") > 0);
        bad.close();
        f.messages.openAnswer = bad.fileName();
        f.w->OpenImageFile();
        QCOMPARE(f.w->currentFile(), path);
        QCOMPARE(f.messages.notices.size(), 1);
    }

    // A 24-bit picture saved as GIF: written at 8 bits, and the view takes that depth as
    // one undoable step. The current file stays; saving over it asks nothing.
    void saveAsConvertsAndOverwriteKeepsTheFile() {
        WindowFixture f;
        show(f, colourful(40, 30));
        f.w->setCurrentFile(f.data.filePath("orig.bmp"));
        f.messages.saveAnswer = f.data.filePath("A.GIF");
        f.w->SaveImage(true);
        QTRY_VERIFY(QFile::exists(f.data.filePath("A.gif")));
        QTRY_COMPARE(f.w->picture().depthCode(), 8);
        QCOMPARE(f.w->picture().history().count(), 1);
        QCOMPARE(imaging::loadPicture(f.data.filePath("A.gif")).depthCode, 8);
        QCOMPARE(f.w->currentFile(), f.data.filePath("orig.bmp"));

        f.w->SaveImage(false);
        QTRY_VERIFY(QFile::exists(f.data.filePath("orig.bmp")));
        QCOMPARE(f.messages.dialogs, QStringList{"save"});
        QVERIFY(f.messages.notices.isEmpty());
    }

    void failedSaveIsTold() {
        WindowFixture f;
        show(f, colourful(8, 8));
        f.messages.saveAnswer = f.data.filePath("x.fpx");
        f.w->SaveImage(true);
        QTRY_COMPARE(f.messages.notices.size(), 1);
        QVERIFY(!QFile::exists(f.data.filePath("x.fpx")));
        f.messages.saveAnswer = f.data.filePath("no/such/folder/x.png");
        f.w->SaveImage(true);
        QTRY_COMPARE(f.messages.notices.size(), 2);
    }

    void printSize() {
        QCOMPARE(imaging::printedSize({2000, 1000}, 96, 96), QSize(5292, 2646));
        QCOMPARE(imaging::fittedSize({5292, 2646}, {2000, 2800}), QSize(2000, 1000));
        QCOMPARE(imaging::fittedSize({500, 400}, {2000, 2800}), QSize(500, 400)); // not enlarged
        QCOMPARE(imaging::printedSize({720, 360}, 0, 0), QSize(2540, 1270));      // 0 is 72 dpi
    }

    // The first print asks for the printer; its choice is kept in IkPrn.Ik and used next
    // time without asking. A printer that is gone asks again.
    void printKeepsItsSettings() {
        WindowFixture f;
        QImage img = colourful(200, 100);
        show(f, img);
        const QString pdf = f.data.filePath("out.pdf");
        f.messages.printerAnswer = [&](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
            p.setPageOrientation(QPageLayout::Landscape);
            return true;
        };
        f.w->PrintImage(1);
        QVERIFY(QFile(pdf).size() > 0);
        const auto kept = PrinterSettings::load(f.data.filePath("IkPrn.Ik"));
        QVERIFY(kept);
        QCOMPARE(kept->outputFile, pdf);
        QVERIFY(kept->landscape);
        QFile::remove(pdf);
        f.w->PrintImage(0);
        QVERIFY(QFile(pdf).size() > 0);
        QCOMPARE(f.messages.dialogs, QStringList{"printer"});

        PrinterSettings gone;
        gone.printer = QStringLiteral("no-such-printer");
        QVERIFY(gone.save(f.data.filePath("IkPrn.Ik")));
        f.messages.printerAnswer = [](QPrinter&) { return false; };
        f.w->PrintImage(1);
        QCOMPARE(f.messages.dialogs, (QStringList{"printer", "printer"}));
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
