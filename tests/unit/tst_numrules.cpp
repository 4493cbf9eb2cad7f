#include "core/NumRules.h"

#include <QTest>

#include <cmath>
#include <limits>

class TestNumRules : public QObject {
    Q_OBJECT
private slots:
    void leadingNumber_data();
    void leadingNumber();
    void leadingNumberOutOfRangeIsZero();
    void roundHalfEven_data();
    void roundHalfEven();
    void toIntegerClamps();
    void format000_data();
    void format000();
    void formatSingle_data();
    void formatSingle();
    void formatSingleRoundTripsThroughLeadingNumber();
    void formatDouble_data();
    void formatDouble();
    void formatThousands_data();
    void formatThousands();
};

void TestNumRules::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "1200" << 1200.0;
    QTest::newRow("leading zeros") << "0468" << 468.0;
    QTest::newRow("grouping stops") << "1,024" << 1.0;
    QTest::newRow("letters after") << "640px" << 640.0;
    QTest::newRow("blanks before") << " \t 7" << 7.0;
    QTest::newRow("line end before") << "\r\n9" << 9.0;
    QTest::newRow("blank inside stops") << "1 2" << 1.0;
    QTest::newRow("sign") << "-3.5" << -3.5;
    QTest::newRow("only fraction") << ".5" << 0.5;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("exponent") << "1.5e3" << 1500.0;
    QTest::newRow("negative exponent") << "25E-1" << 2.5;
    QTest::newRow("exponent without digits") << "3e" << 3.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("no number") << "abc" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("full-width digits are not digits") << u"１２"_qs << 0.0;
}

void TestNumRules::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(numrules::leadingNumber(text), value);
}

void TestNumRules::leadingNumberOutOfRangeIsZero() {
    QCOMPARE(numrules::leadingNumber("1e999"), 0.0);
    QCOMPARE(numrules::leadingNumber("-1e999"), 0.0);
    QVERIFY(std::isfinite(numrules::leadingNumber(QString(400, u'9'))));
}

void TestNumRules::roundHalfEven_data() {
    QTest::addColumn<double>("in");
    QTest::addColumn<double>("out");
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("387.9527") << 387.9527 << 388.0;
}

void TestNumRules::roundHalfEven() {
    QFETCH(double, in);
    QFETCH(double, out);
    QCOMPARE(numrules::roundHalfEven(in), out);
}

void TestNumRules::toIntegerClamps() {
    QCOMPARE(numrules::toInteger(198.5), qint64(198));
    QCOMPARE(numrules::toInteger(199.5), qint64(200));
    QCOMPARE(numrules::toInteger(std::nan("")), qint64(0));
    QCOMPARE(numrules::toInteger(1e300), std::numeric_limits<qint64>::max());
    QCOMPARE(numrules::toInteger(-1e300), std::numeric_limits<qint64>::min());
    QCOMPARE(numrules::toInteger(std::numeric_limits<double>::infinity()),
             std::numeric_limits<qint64>::max());
}

void TestNumRules::format000_data() {
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << qint64(0) << "000";
    QTest::newRow("7") << qint64(7) << "007";
    QTest::newRow("1234") << qint64(1234) << "1234";
    QTest::newRow("-5") << qint64(-5) << "-005";
    QTest::newRow("lowest") << std::numeric_limits<qint64>::min() << "-9223372036854775808";
}

void TestNumRules::format000() {
    QFETCH(qint64, value);
    QFETCH(QString, text);
    QCOMPARE(numrules::format000(value), text);
}

void TestNumRules::formatSingle_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 21.0f << "21";
    QTest::newRow("two decimals") << 14.85f << "14.85";
    QTest::newRow("scaled preset") << float(320 * 33 / 100.0) << "105.6";
    QTest::newRow("cm to px") << float(21 / 2.54 * 96) << "793.7008";
    QTest::newRow("negative") << -1200.5f << "-1200.5";
    QTest::newRow("zero") << 0.0f << "0";
    QTest::newRow("negative zero") << -0.0f << "0";
    // Above seven digits the value is rounded, but never written with an exponent.
    QTest::newRow("eight digits") << 12345678.0f << "12345680";
    QTest::newRow("large") << 1e10f << "10000000000";
    QTest::newRow("small") << 0.0001f << "0.0001";
    // Seven significant digits, not seven decimals.
    QTest::newRow("small with digits") << 1.234567e-5f << "0.00001234567";
    QTest::newRow("infinite") << std::numeric_limits<float>::infinity() << "0";
    QTest::newRow("nan") << std::numeric_limits<float>::quiet_NaN() << "0";
}

void TestNumRules::formatSingle() {
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(numrules::formatSingle(value), text);
}

void TestNumRules::formatSingleRoundTripsThroughLeadingNumber() {
    // What the program writes it must read back to the same single-precision value
    // when the value has no more than seven significant digits.
    for (float v : {640.0f, 29.7f, 14.85f, 160.5f, 0.25f, -3.125f, 1e-3f, 9999999.0f}) {
        const QString text = numrules::formatSingle(v);
        QVERIFY2(!text.contains(u'e') && !text.contains(u','), qPrintable(text));
        QCOMPARE(float(numrules::leadingNumber(text)), v);
    }
}

void TestNumRules::formatDouble_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("tenth") << 0.1 << "0.1";
    QTest::newRow("fifteen digits") << 1.0 / 3.0 << "0.333333333333333";
    QTest::newRow("whole") << 1e15 << "1000000000000000";
    QTest::newRow("fraction") << 12.5 << "12.5";
    QTest::newRow("negative") << -0.000125 << "-0.000125";
}

void TestNumRules::formatDouble() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(numrules::formatDouble(value), text);
}

void TestNumRules::formatThousands_data() {
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("small") << qint64(768) << "768";
    QTest::newRow("four digits") << qint64(1920) << "1,920";
    QTest::newRow("seven digits") << qint64(1234567) << "1,234,567";
    QTest::newRow("zero") << qint64(0) << "0";
    QTest::newRow("negative") << qint64(-1024) << "-1,024";
}

void TestNumRules::formatThousands() {
    QFETCH(qint64, value);
    QFETCH(QString, text);
    QCOMPARE(numrules::formatThousands(value), text);
}

QTEST_APPLESS_MAIN(TestNumRules)
#include "tst_numrules.moc"
