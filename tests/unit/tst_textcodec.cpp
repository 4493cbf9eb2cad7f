#include "capture/CopyIntake.h"
#include "core/TextCodec.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestTextCodec : public QObject {
    Q_OBJECT
private slots:
    void available();
    void halfWidthKatakanaRoundTrip();
    void jisFormsMapToCp932_data();
    void jisFormsMapToCp932();
    void losslessFlag();
    void replacementCharacterGoesToUtf8();
    void decodeTextFile_data();
    void decodeTextFile();
    void shownTextIsCutAtWholeCharacters();
};

void TestTextCodec::available() {
    QVERIFY(textcodec::cp932Available());
}

void TestTextCodec::halfWidthKatakanaRoundTrip() {
    // Every half-width katakana is one byte, 0xA1 to 0xDF, in order.
    QString all;
    QByteArray expected;
    for (char16_t c = 0xFF61; c <= 0xFF9F; ++c) {
        all += QChar(c);
        expected += char(0xA1 + (c - 0xFF61));
    }
    bool lossless = false;
    const QByteArray bytes = textcodec::toCp932(all, &lossless);
    QVERIFY(lossless);
    QCOMPARE(bytes, expected);
    QCOMPARE(textcodec::fromCp932(bytes), all);

    const QString mixed = QStringLiteral("ｽｹｰﾙ表示 ﾕｰｻﾞｰ環境ﾌｧｲﾙ L判 \\~");
    QCOMPARE(textcodec::fromCp932(textcodec::toCp932(mixed)), mixed);
    QCOMPARE(textcodec::toCp932(QStringLiteral("ﾊｶﾞｷ")), QByteArray("\xCA\xB6\xDE\xB7"));
}

void TestTextCodec::jisFormsMapToCp932_data() {
    QTest::addColumn<QString>("jis");
    QTest::addColumn<QString>("cp932");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("wave dash") << u"\u301C"_qs << u"\uFF5E"_qs << QByteArray("\x81\x60");
    QTest::newRow("double vertical line") << u"\u2016"_qs << u"\u2225"_qs << QByteArray("\x81\x61");
    QTest::newRow("minus") << u"\u2212"_qs << u"\uFF0D"_qs << QByteArray("\x81\x7C");
    QTest::newRow("cent") << u"\u00A2"_qs << u"\uFFE0"_qs << QByteArray("\x81\x91");
    QTest::newRow("pound") << u"\u00A3"_qs << u"\uFFE1"_qs << QByteArray("\x81\x92");
    QTest::newRow("not") << u"\u00AC"_qs << u"\uFFE2"_qs << QByteArray("\x81\xCA");
}

void TestTextCodec::jisFormsMapToCp932() {
    QFETCH(QString, jis);
    QFETCH(QString, cp932);
    QFETCH(QByteArray, bytes);
    bool lossless = false;
    QCOMPARE(textcodec::toCp932(u'a' + jis + u'b', &lossless), 'a' + bytes + 'b');
    QVERIFY(lossless);
    QCOMPARE(textcodec::toCp932Forms(jis), cp932);
    QCOMPARE(textcodec::fromCp932(bytes), cp932);
}

void TestTextCodec::losslessFlag() {
    bool lossless = true;
    textcodec::toCp932(QStringLiteral("価格 €5"), &lossless);
    QVERIFY(!lossless);
    textcodec::toCp932(QStringLiteral("😀"), &lossless);
    QVERIFY(!lossless);
    textcodec::toCp932(QStringLiteral("①Ⅹⅰ髙"), &lossless); // NEC and IBM extensions
    QVERIFY(lossless);
    textcodec::toCp932(QString(), &lossless);
    QVERIFY(lossless);
    textcodec::toCp932(QStringLiteral("a\uFFFDb"), &lossless);
    QVERIFY(!lossless);
}

void TestTextCodec::replacementCharacterGoesToUtf8() {
    const QString text = QStringLiteral("壊れた\uFFFD文字");
    QCOMPARE(encodeTextFile(text), QByteArray("\xEF\xBB\xBF") + text.toUtf8());
    QCOMPARE(textcodec::decodeTextFile(encodeTextFile(text)), text);
    QCOMPARE(encodeTextFile(QStringLiteral("ｱ漢")), QByteArray("\xB1\x8A\xBF"));
}

void TestTextCodec::decodeTextFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("mark") << QByteArray("\xEF\xBB\xBF\xE2\x82\xAC") << u"€"_qs;
    QTest::newRow("cp932") << QByteArray("\xB1\x8A\xBF") << u"ｱ漢"_qs;
    QTest::newRow("cp932 kanji") << textcodec::toCp932(u"日本語のﾃｷｽﾄ"_qs) << u"日本語のﾃｷｽﾄ"_qs;
    QTest::newRow("utf-8 without mark") << u"日本語 ﾃｷｽﾄ €"_qs.toUtf8() << u"日本語 ﾃｷｽﾄ €"_qs;
    QTest::newRow("utf-8 replacement character") << QByteArray("a\xEF\xBF\xBD") << u"a\uFFFD"_qs;
    QTest::newRow("ascii") << QByteArray("plain \\ text~") << u"plain \\ text~"_qs;
    // A sequence cut short at the end is not valid UTF-8.
    QTest::newRow("cut utf-8") << u"日本"_qs.toUtf8() + "\xE6\xBC" << QString();
}

void TestTextCodec::decodeTextFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    if (text.isNull())
        text = textcodec::fromCp932(bytes);
    QCOMPARE(textcodec::decodeTextFile(bytes), text);
}

// A text over the limit shows its beginning, cut so no character is split (which would make
// the UTF-8 look like code page 932), and says so on a line of its own.
void TestTextCodec::shownTextIsCutAtWholeCharacters() {
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("long.txt")));
    // 1.8 MB without a line end; 1 MB is no whole number of these three-byte characters.
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(u"あ"_qs.toUtf8().repeated(600'000)) > 0);
    f.close();
    QCOMPARE(textcodec::readShownText(f.fileName(), 1 << 20).text,
             u"あ"_qs.repeated((1 << 20) / 3) + u"\n… (先頭の 1 MB だけを表示しています)"_qs);
    QCOMPARE(textcodec::readShownText(f.fileName()).text.size(), 600'000);
    QVERIFY(textcodec::readShownText(dir.path()).error.contains(dir.path()));
}

QTEST_APPLESS_MAIN(TestTextCodec)
#include "tst_textcodec.moc"
