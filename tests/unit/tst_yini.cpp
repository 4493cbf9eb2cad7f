#include "core/TextCodec.h"
#include "settings/PrinterSettings.h"
#include "settings/yIni.h"
#include "testsupport.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

const QString kDecl = QStringLiteral("<?xml version='1.0' encoding='Shift-JIS' ?>");
const QString kSkeleton = kDecl + QStringLiteral("\r\n<運用>\r\n</運用>");
const QString kSample = kDecl + QStringLiteral("\r\n<運用>\r\n"
                                               "   <ﾌｫｰﾑ>\r\n"
                                               "      <Left>1200</Left>\r\n"
                                               "      <Top>900</Top>\r\n"
                                               "   </ﾌｫｰﾑ>\r\n"
                                               "</運用>");

QString damagedMessage(const QString& name, const QString& path) {
    return u'<' + name + QStringLiteral("> の設定が読み込めません\rﾕｰｻﾞｰ環境ﾌｧｲﾙ(") + path +
           QStringLiteral(") が破損しています");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A document with one group "G" holding the given key lines.
QString docWithGroup(const QString& body) {
    return kDecl + QStringLiteral("\r\n<運用>\r\n   <G>\r\n") + body +
           QStringLiteral("   </G>\r\n</運用>");
}

} // namespace

class TestYIni : public QObject {
    Q_OBJECT
private slots:
    void init();
    void firstRunCreatesEmptyFileAndWritesExactLayout();
    void readsTypedValues();
    void emptyElementGivesDefaultInItsOwnType();
    void booleansAndDates();
    void valuesAreWrittenInPlainText();
    void keysAreMatchedExactlyAndFirstOccurrenceWins();
    void writeKeepsPositionsAndOrder();
    void doubleDaggerInValueIsStoredAsItIs();
    void emptyFileOrEmptyFirstLineIsNoDocument();
    void dvPathLoadsAndSavesPlainName();
    void damagedElementsAreReportedOncePerElement();
    void groupClosedTooNearItsOpenerReadsEmptyAndIsRepaired();
    void missingRootCloserIsAppended();
    void tagTextInValuesCannotBreakTheDocument();
    void oldLayoutFileIsWrittenBackIdentically();
    void unencodableTextIsWrittenAsUtf8();
    void unreadableOrUnwritablePathsFail();
    void noLengthLimit();
    void processWideInstance();
    void failedWritesKeepTheSettingsFiles();

private:
    QString path(const QString& name = QStringLiteral("User.xml")) const {
        return m_dir->filePath(name);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    RecordingMessages m_msgs;
};

void TestYIni::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_msgs = RecordingMessages();
}

void TestYIni::firstRunCreatesEmptyFileAndWritesExactLayout() {
    yIni ini(&m_msgs);
    QVERIFY(!QFile::exists(path()));
    QVERIFY(ini.loadDocument(path()));
    QVERIFY(QFile::exists(path()));
    QCOMPARE(QFileInfo(path()).size(), 0);
    QCOMPARE(ini.documentText(), kSkeleton);

    ini.loadGroup(QStringLiteral("ﾌｫｰﾑ"));
    QCOMPARE(ini.readValue(QStringLiteral("Left"), QVariant::fromValue<qint16>(0)),
             QVariant::fromValue<qint16>(0));
    ini.writeValue(QStringLiteral("Left"), 1200.0f);
    ini.writeValue(QStringLiteral("Top"), 900.0f);
    ini.storeGroup();
    QCOMPARE(QFileInfo(path()).size(), 0); // nothing reaches the disk before saveDocument
    QVERIFY(ini.saveDocument());
    QCOMPARE(readBytes(path()), textcodec::toCp932(kSample));
    QVERIFY(m_msgs.asked.isEmpty());
}

void TestYIni::readsTypedValues() {
    writeBytes(path(), textcodec::toCp932(kSample));
    yIni ini(&m_msgs);
    QVERIFY(ini.loadDocument(path()));
    QCOMPARE(ini.documentText(), kSample);
    ini.loadGroup(QStringLiteral("ﾌｫｰﾑ"));
    QCOMPARE(ini.groupText(),
             QStringLiteral("      <Left>1200</Left>\r\n      <Top>900</Top>\r\n"));
    const QVariant left = ini.readValue(QStringLiteral("Left"), QVariant::fromValue<qint16>(0));
    QCOMPARE(left.metaType().id(), QMetaType::Double); // numbers from text are doubles
    QCOMPARE(left.toDouble(), 1200.0);
    QCOMPARE(ini.readValue(QStringLiteral("Top"), QStringLiteral("x")), QVariant(u"900"_qs));

    ini.loadGroup(QStringLiteral("ﾕｰｻﾞｰ")); // missing group: no message, defaults
    QVERIFY(ini.groupText().isEmpty());
    QCOMPARE(ini.readValue(QStringLiteral("Left"), 5), QVariant(5));
    QVERIFY(m_msgs.asked.isEmpty());
}

void TestYIni::emptyElementGivesDefaultInItsOwnType() {
    writeBytes(path(), textcodec::toCp932(docWithGroup(QStringLiteral("      <S>  padded  </S>\r\n"
                                                                      "      <N>640px</N>\r\n"
                                                                      "      <X>abc</X>\r\n"
                                                                      "      <E></E>\r\n"))));
    yIni ini(&m_msgs);
    QVERIFY(ini.loadDocument(path()));
    ini.loadGroup(QStringLiteral("G"));
    QCOMPARE(ini.readValue(QStringLiteral("S"), QString()), QVariant(u"  padded  "_qs));
    QCOMPARE(ini.readValue(QStringLiteral("N"), 0), QVariant(640.0));
    QCOMPARE(ini.readValue(QStringLiteral("X"), 7), QVariant(0.0));
    QCOMPARE(ini.readValue(QStringLiteral("E"), QStringLiteral("d")), QVariant(u"d"_qs));
    QCOMPARE(ini.readValue(QStringLiteral("E"), 2.5f), QVariant(2.5f));
    QCOMPARE(ini.readValue(QStringLiteral("E"), QVariant::fromValue<qint16>(7)),
             QVariant::fromValue<qint16>(7));
    QCOMPARE(ini.readValue(QStringLiteral("E"), QVariant()), QVariant());
    QVERIFY(m_msgs.asked.isEmpty());
}

void TestYIni::booleansAndDates() {
    writeBytes(path(),
               textcodec::toCp932(docWithGroup(QStringLiteral("      <T>True</T>\r\n"
                                                              "      <F>false</F>\r\n"
                                                              "      <One> 1 </One>\r\n"
                                                              "      <Zero>0</Zero>\r\n"
                                                              "      <Bad>yes</Bad>\r\n"
                                                              "      <E></E>\r\n"
                                                              "      <D>2024-02-29</D>\r\n"
                                                              "      <BadD>31/02</BadD>\r\n"))));
    yIni ini(&m_msgs);
    QVERIFY(ini.loadDocument(path()));
    ini.loadGroup(QStringLiteral("G"));
    QCOMPARE(ini.readValue(QStringLiteral("T"), false), QVariant(true));
    QCOMPARE(ini.readValue(QStringLiteral("F"), true), QVariant(false));
    QCOMPARE(ini.readValue(QStringLiteral("One"), false), QVariant(true));
    QCOMPARE(ini.readValue(QStringLiteral("Zero"), true), QVariant(false));
    // Text that is no boolean gives the default instead of stopping the program.
    QCOMPARE(ini.readValue(QStringLiteral("Bad"), true), QVariant(true));
    QCOMPARE(ini.readValue(QStringLiteral("Bad"), false), QVariant(false));
    QCOMPARE(ini.readValue(QStringLiteral("E"), true), QVariant(true));

    const QDate leap(2024, 2, 29);
    QCOMPARE(ini.readValue(QStringLiteral("D"), QDate(2000, 1, 1)), QVariant(leap));
    QCOMPARE(ini.readValue(QStringLiteral("D"), QDateTime()), QVariant(leap.startOfDay()));
    QCOMPARE(ini.readValue(QStringLiteral("BadD"), QDate(2000, 1, 1)), QVariant(QDate(2000, 1, 1)));
    QCOMPARE(ini.readValue(QStringLiteral("E"), QDate(2000, 1, 1)), QVariant(QDate(2000, 1, 1)));

    ini.writeValue(QStringLiteral("New"), true);
    ini.writeValue(QStringLiteral("When"), leap);
    QVERIFY(ini.groupText().endsWith(
        QStringLiteral("      <New>True</New>\r\n      <When>2024-02-29</When>\r\n")));
    QCOMPARE(ini.readValue(QStringLiteral("New"), false), QVariant(true));
    QCOMPARE(ini.readValue(QStringLiteral("When"), QDate()), QVariant(leap));
}

void TestYIni::valuesAreWrittenInPlainText() {
    QCOMPARE(yIni::valueText(1200.0f), u"1200"_qs);
    QCOMPARE(yIni::valueText(1.0e8f), u"100000000"_qs);
    QCOMPARE(yIni::valueText(-5), u"-5"_qs);
    QCOMPARE(yIni::valueText(QVariant::fromValue<qint16>(-32768)), u"-32768"_qs);
    QCOMPARE(yIni::valueText(QVariant::fromValue<quint64>(18446744073709551615ull)),
             u"18446744073709551615"_qs);
    QCOMPARE(yIni::valueText(false), u"False"_qs);
    QCOMPARE(yIni::valueText(QVariant()), QString());
}

void TestYIni::keysAreMatchedExactlyAndFirstOccurrenceWins() {
    writeBytes(path(),
               textcodec::toCp932(docWithGroup(QStringLiteral("      <A>1</A>\r\n"
                                                              "      <A>2</A>\r\n"
                                                              "      <Left>3</Left>\r\n"))));
    yIni ini(&m_msgs);
    QVERIFY(ini.loadDocument(path()));
    ini.loadGroup(QStringLiteral("G"));
    QCOMPARE(ini.readValue(QStringLiteral("A"), 0), QVariant(1.0));
    QCOMPARE(ini.readValue(QStringLiteral("left"), 9), QVariant(9));
    QCOMPARE(ini.readValue(QStringLiteral("Left"), 9), QVariant(3.0));
    ini.writeValue(QStringLiteral("A"), 5);
    QCOMPARE(ini.groupText(), QStringLiteral("      <A>5</A>\r\n"
                                             "      <A>2</A>\r\n"
                                             "      <Left>3</Left>\r\n"));
    ini.loadGroup(QStringLiteral("g"));
    QVERIFY(ini.groupText().isEmpty());
}

void TestYIni::writeKeepsPositionsAndOrder() {
    writeBytes(path(), textcodec::toCp932(kSample));
    yIni ini(&m_msgs);
    QVERIFY(ini.loadDocument(path()));
    ini.loadGroup(QStringLiteral("ﾌｫｰﾑ"));
    ini.writeValue(QStringLiteral("Width"), 640);
    ini.writeValue(QStringLiteral("Left"), 10); // existing: stays in front of Top
    ini.storeGroup();
    ini.loadGroup(QStringLiteral("ﾕｰｻﾞｰ"));
    ini.writeValue(QStringLiteral("QN_RNG"), QStringLiteral("A4,21,29.7,cm"));
    ini.storeGroup();
    ini.loadGroup(QStringLiteral("ﾌｫｰﾑ")); // committing again keeps the group where it is
    ini.writeValue(QStringLiteral("Top"), 20);
    ini.storeGroup();
    QVERIFY(ini.saveDocument());
    const QString expected = kDecl + QStringLiteral("\r\n<運用>\r\n"
                                                    "   <ﾌｫｰﾑ>\r\n"
                                                    "      <Left>10</Left>\r\n"
                                                    "      <Top>20</Top>\r\n"
                                                    "      <Width>640</Width>\r\n"
                                                    "   </ﾌｫｰﾑ>\r\n"
                                                    "   <ﾕｰｻﾞｰ>\r\n"
                                                    "      <QN_RNG>A4,21,29.7,cm</QN_RNG>\r\n"
                                                    "   </ﾕｰｻﾞｰ>\r\n"
                                                    "</運用>");
    QCOMPARE(ini.documentText(), expected);
    QCOMPARE(readBytes(path()), textcodec::toCp932(expected));
}

void TestYIni::doubleDaggerInValueIsStoredAsItIs() {
    yIni ini(&m_msgs);
    QVERIFY(ini.loadDocument(path()));
    ini.loadGroup(QStringLiteral("G"));
    ini.writeValue(QStringLiteral("New"), QStringLiteral("a‡b"));
    ini.writeValue(QStringLiteral("Old"), QStringLiteral("x"));
    ini.writeValue(QStringLiteral("Old"), QStringLiteral("c‡d"));
    QCOMPARE(ini.groupText(), QStringLiteral("      <New>a‡b</New>\r\n      <Old>c‡d</Old>\r\n"));
    ini.storeGroup();
    QVERIFY(ini.saveDocument());

    yIni again(&m_msgs);
    QVERIFY(again.loadDocument(path()));
    again.loadGroup(QStringLiteral("G"));
    QCOMPARE(again.readValue(QStringLiteral("New"), QString()), QVariant(u"a‡b"_qs));
    QCOMPARE(again.readValue(QStringLiteral("Old"), QString()), QVariant(u"c‡d"_qs));
}

void TestYIni::emptyFileOrEmptyFirstLineIsNoDocument() {
    for (const QByteArray& content :
         {QByteArray(), QByteArray("\r\n<運用>junk"), QByteArray("\nfoo")}) {
        writeBytes(path(), content);
        yIni ini(&m_msgs);
        QVERIFY(ini.loadDocument(path()));
        QCOMPARE(ini.documentText(), kSkeleton);
        ini.loadGroup(QStringLiteral("G"));
        ini.writeValue(QStringLiteral("K"), 1);
        ini.storeGroup();
        QVERIFY(ini.saveDocument());
        QCOMPARE(textcodec::fromCp932(readBytes(path())),
                 docWithGroup(QStringLiteral("      <K>1</K>\r\n")));
    }
}

void TestYIni::dvPathLoadsAndSavesPlainName() {
    yIni ini(&m_msgs);
    QVERIFY(ini.loadDocument(path(QStringLiteral("User_dV.XmL"))));
    QCOMPARE(ini.filePath(), path(QStringLiteral("User.xml")));
    QVERIFY(QFile::exists(path(QStringLiteral("User.xml"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("User_dV.XmL"))));
    QVERIFY(ini.saveDocument());
    QCOMPARE(readBytes(path(QStringLiteral("User.xml"))), textcodec::toCp932(kSkeleton));
    QVERIFY(ini.loadDocument(path(QStringLiteral("Other.xml"))));
    QCOMPARE(ini.filePath(), path(QStringLiteral("Other.xml")));
}

void TestYIni::damagedElementsAreReportedOncePerElement() {
    const QString doc = kDecl + QStringLiteral("\r\n<運用>\r\n"
                                               "   <Open>\r\n"
                                               "      <K>1</K>\r\n"
                                               "   </Back>\r\n"
                                               "   <Back>\r\n"
                                               "   <G>\r\n"
                                               "      <Cut>12\r\n"
                                               "      <Ok>3</Ok>\r\n"
                                               "   </G>\r\n"
                                               "</運用>");
    writeBytes(path(), textcodec::toCp932(doc));
    yIni ini(&m_msgs);
    QVERIFY(ini.loadDocument(path()));

    ini.loadGroup(QStringLiteral("Open")); // opening tag only
    QVERIFY(ini.groupText().isEmpty());
    QCOMPARE(ini.readValue(QStringLiteral("K"), 4), QVariant(4));
    ini.loadGroup(QStringLiteral("Open"));
    QCOMPARE(m_msgs.asked, QStringList{damagedMessage(QStringLiteral("Open"), path())});

    ini.loadGroup(QStringLiteral("Back")); // closing tag before the opening tag
    QVERIFY(ini.groupText().isEmpty());
    QCOMPARE(m_msgs.asked.size(), 2);
    QCOMPARE(m_msgs.asked.last(), damagedMessage(QStringLiteral("Back"), path()));

    ini.loadGroup(QStringLiteral("G"));
    QCOMPARE(ini.readValue(QStringLiteral("Cut"), 8), QVariant(8));
    QCOMPARE(ini.readValue(QStringLiteral("Cut"), 8), QVariant(8));
    QCOMPARE(ini.readValue(QStringLiteral("Ok"), 8), QVariant(3.0));
    QCOMPARE(m_msgs.asked.size(), 3);
    QCOMPARE(m_msgs.asked.last(), damagedMessage(QStringLiteral("Cut"), path()));

    // A group with only its opening tag is added whole when committed.
    ini.loadGroup(QStringLiteral("Open"));
    ini.writeValue(QStringLiteral("K"), 2);
    ini.storeGroup();
    QVERIFY(ini.documentText().endsWith(
        QStringLiteral("   <Open>\r\n      <K>2</K>\r\n   </Open>\r\n</運用>")));
    QVERIFY(ini.saveDocument());

    // A fresh load reports again.
    QVERIFY(ini.loadDocument(path()));
    ini.loadGroup(QStringLiteral("Back"));
    QCOMPARE(m_msgs.asked.size(), 4);
}

void TestYIni::groupClosedTooNearItsOpenerReadsEmptyAndIsRepaired() {
    for (const QString& squeezed :
         {QStringLiteral("<A></A>"), QStringLiteral("<A>x</A>"), QStringLiteral("<A>\r\n</A>"),
          QStringLiteral("<A>\r\n  </A>")}) {
        const QString doc =
            kDecl + QStringLiteral("\r\n<運用>\r\n   ") + squeezed + QStringLiteral("\r\n</運用>");
        writeBytes(path(), textcodec::toCp932(doc));
        yIni ini(&m_msgs);
        QVERIFY(ini.loadDocument(path()));
        ini.loadGroup(QStringLiteral("A"));
        QVERIFY2(ini.groupText().isEmpty(), qPrintable(squeezed));
        ini.writeValue(QStringLiteral("K"), QStringLiteral("v"));
        ini.storeGroup();
        QCOMPARE(ini.documentText().count(QStringLiteral("<A>")), 1);
        ini.loadGroup(QStringLiteral("A"));
        QCOMPARE(ini.readValue(QStringLiteral("K"), QString()), QVariant(u"v"_qs));
    }
    QVERIFY(m_msgs.asked.isEmpty());
}

void TestYIni::missingRootCloserIsAppended() {
    for (const QString& tail : {QStringLiteral("   </A>\r\n"), QStringLiteral("   </A>")}) {
        writeBytes(path(), textcodec::toCp932(kDecl +
                                              QStringLiteral("\r\n<運用>\r\n   <A>\r\n"
                                                             "      <K>1</K>\r\n") +
                                              tail));
        yIni ini(&m_msgs);
        QVERIFY(ini.loadDocument(path()));
        ini.loadGroup(QStringLiteral("B"));
        ini.writeValue(QStringLiteral("K"), 2);
        ini.storeGroup();
        QVERIFY(ini.documentText().endsWith(
            QStringLiteral("   </A>\r\n   <B>\r\n      <K>2</K>\r\n   </B>\r\n</運用>")));
        QVERIFY(ini.saveDocument());
        QVERIFY(ini.loadDocument(path()));
        ini.loadGroup(QStringLiteral("A"));
        QCOMPARE(ini.readValue(QStringLiteral("K"), 0), QVariant(1.0));
        ini.loadGroup(QStringLiteral("B"));
        QCOMPARE(ini.readValue(QStringLiteral("K"), 0), QVariant(2.0));
    }
}

void TestYIni::tagTextInValuesCannotBreakTheDocument() {
    const QStringList values = {QStringLiteral("</K>"),
                                QStringLiteral("<運用></運用>"),
                                QStringLiteral("   </G>\r\n</運用>"),
                                QStringLiteral("a & b"),
                                QStringLiteral("&lt;literal&gt;&amp;"),
                                QStringLiteral("<")};
    yIni ini(&m_msgs);
    QVERIFY(ini.loadDocument(path()));
    ini.loadGroup(QStringLiteral("G"));
    for (int i = 0; i < values.size(); ++i)
        ini.writeValue(u'K' + QString::number(i), values[i]);
    ini.writeValue(QStringLiteral("Last"), 1);
    ini.storeGroup();
    ini.loadGroup(QStringLiteral("H"));
    ini.writeValue(QStringLiteral("K"), 2);
    ini.storeGroup();
    QVERIFY(ini.saveDocument());
    const QString stored = textcodec::fromCp932(readBytes(path()));
    QVERIFY(stored.contains(QStringLiteral("<K0>&lt;/K&gt;</K0>")));
    QVERIFY(stored.contains(QStringLiteral("<K4>&amp;lt;literal&amp;gt;&amp;amp;</K4>")));

    yIni again(&m_msgs);
    QVERIFY(again.loadDocument(path()));
    again.loadGroup(QStringLiteral("G"));
    for (int i = 0; i < values.size(); ++i)
        QCOMPARE(again.readValue(u'K' + QString::number(i), QString()), QVariant(values[i]));
    QCOMPARE(again.readValue(QStringLiteral("Last"), 0), QVariant(1.0));
    again.loadGroup(QStringLiteral("H"));
    QCOMPARE(again.readValue(QStringLiteral("K"), 0), QVariant(2.0));
    QVERIFY(m_msgs.asked.isEmpty());
}

void TestYIni::oldLayoutFileIsWrittenBackIdentically() {
    // Old files stored values raw; a "<" that is no tag still reads as it was.
    const QString doc = kDecl + QStringLiteral("\r\n<運用>\r\n"
                                               "   <ﾕｰｻﾞｰ>\r\n"
                                               "      <ｽｹｰﾙ表示>1</ｽｹｰﾙ表示>\r\n"
                                               "      <QN_RNG>Temporary,640,480,px:A4 50%,10.5,"
                                               "14.85,cm</QN_RNG>\r\n"
                                               "      <減色>減色しない</減色>\r\n"
                                               "      <Raw>1<2</Raw>\r\n"
                                               "   </ﾕｰｻﾞｰ>\r\n"
                                               "</運用>");
    const QByteArray bytes = textcodec::toCp932(doc);
    writeBytes(path(), bytes);
    yIni ini(&m_msgs);
    QVERIFY(ini.loadDocument(path()));
    ini.loadGroup(QStringLiteral("ﾕｰｻﾞｰ"));
    QCOMPARE(ini.readValue(QStringLiteral("Raw"), QString()), QVariant(u"1<2"_qs));
    ini.writeValue(QStringLiteral("ｽｹｰﾙ表示"), 1);
    ini.writeValue(QStringLiteral("減色"), QStringLiteral("減色しない"));
    ini.storeGroup();
    QVERIFY(ini.saveDocument());
    QCOMPARE(readBytes(path()), bytes);
}

void TestYIni::unencodableTextIsWrittenAsUtf8() {
    const QString euro = QStringLiteral("価格 € 😀");
    yIni ini(&m_msgs);
    QVERIFY(ini.loadDocument(path()));
    ini.loadGroup(QStringLiteral("G"));
    ini.writeValue(QStringLiteral("K"), euro);
    ini.storeGroup();
    QVERIFY(ini.saveDocument());
    const QByteArray utf8 = readBytes(path());
    QVERIFY(utf8.startsWith("<?xml version='1.0' encoding='UTF-8' ?>\r\n<"));
    QVERIFY(utf8.contains(euro.toUtf8()));
    // The document in memory is what the file holds.
    QCOMPARE(ini.documentText().toUtf8(), utf8);

    yIni again(&m_msgs);
    QVERIFY(again.loadDocument(path()));
    again.loadGroup(QStringLiteral("G"));
    QCOMPARE(again.readValue(QStringLiteral("K"), QString()), QVariant(euro));

    // Once the text fits code page 932 again the file goes back to it. The wave dash
    // is stored in its code-page-932 form.
    again.writeValue(QStringLiteral("K"), QStringLiteral("ｽｹｰﾙ〜"));
    again.storeGroup();
    QVERIFY(again.saveDocument());
    const QByteArray cp932 = readBytes(path());
    QVERIFY(cp932.startsWith(kDecl.toLatin1() + "\r\n"));
    QVERIFY(cp932.contains("\xBD\xB9\xB0\xD9\x81\x60"));
    QCOMPARE(textcodec::toCp932(again.documentText()), cp932);
    QVERIFY(again.documentText().contains(u"ｽｹｰﾙ～"_qs));
    QVERIFY(again.loadDocument(path()));
    again.loadGroup(QStringLiteral("G"));
    QCOMPARE(again.readValue(QStringLiteral("K"), QString()), QVariant(u"ｽｹｰﾙ～"_qs));

    // Either declaration style reads, and so does a byte-order mark.
    writeBytes(path(), "<?xml version=\"1.0\" encoding = \"utf-8\"?>\r\n<運用>\r\n   <G>\r\n"
                       "      <K>€</K>\r\n   </G>\r\n</運用>");
    QVERIFY(again.loadDocument(path()));
    again.loadGroup(QStringLiteral("G"));
    QCOMPARE(again.readValue(QStringLiteral("K"), QString()), QVariant(u"€"_qs));
    writeBytes(path(), "\xEF\xBB\xBF<運用>\r\n   <G>\r\n      <K>€</K>\r\n   </G>\r\n</運用>");
    QVERIFY(again.loadDocument(path()));
    again.loadGroup(QStringLiteral("G"));
    QCOMPARE(again.readValue(QStringLiteral("K"), QString()), QVariant(u"€"_qs));
    QVERIFY(again.saveDocument()); // no declaration to change: the mark keeps it UTF-8
    QVERIFY(readBytes(path()).startsWith("\xEF\xBB\xBF<"));
}

void TestYIni::unreadableOrUnwritablePathsFail() {
    yIni ini(&m_msgs);
    QVERIFY(!ini.loadDocument(m_dir->filePath(QStringLiteral("missing/User.xml"))));
    QVERIFY(ini.documentText().isEmpty());
    ini.loadGroup(QStringLiteral("G"));
    QCOMPARE(ini.readValue(QStringLiteral("K"), 3), QVariant(3));
    ini.writeValue(QStringLiteral("K"), 1);
    ini.storeGroup(); // an empty document gets its skeleton first
    QCOMPARE(ini.documentText(), docWithGroup(QStringLiteral("      <K>1</K>\r\n")));
    QVERIFY(!ini.saveDocument());
    QVERIFY(!QDir(m_dir->filePath(QStringLiteral("missing"))).exists());

    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.xml")));
    QVERIFY(!ini.loadDocument(path(QStringLiteral("folder.xml"))));
    QVERIFY(!ini.saveDocument());

    yIni never;
    QVERIFY(!never.saveDocument()); // no loadDocument yet: nowhere to write

    // A successful save leaves no temporary file behind.
    QVERIFY(ini.loadDocument(path()));
    QVERIFY(ini.saveDocument());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{u"User.xml"_qs});
}

void TestYIni::noLengthLimit() {
    const QString big(40000, u'ｱ');
    yIni ini(&m_msgs);
    QVERIFY(ini.loadDocument(path()));
    for (int g = 0; g < 50; ++g) {
        ini.loadGroup(u'G' + QString::number(g));
        ini.writeValue(QStringLiteral("K"), big + QString::number(g));
        ini.storeGroup();
    }
    QVERIFY(ini.saveDocument());
    QVERIFY(ini.documentText().size() > 2000000);
    yIni again(&m_msgs);
    QVERIFY(again.loadDocument(path()));
    again.loadGroup(QStringLiteral("G49"));
    QCOMPARE(again.readValue(QStringLiteral("K"), QString()), QVariant(big + QStringLiteral("49")));
}

void TestYIni::processWideInstance() {
    yIni& first = yIni::instance();
    QVERIFY(first.loadDocument(path()));
    QCOMPARE(&yIni::instance(), &first);
    QCOMPARE(yIni::instance().filePath(), path());
    yIni::releaseInstance();
    QVERIFY(yIni::instance().filePath().isEmpty());
    yIni::releaseInstance();
}

// A write that fails part way keeps User.xml and IkPrn.Ik whole: through a file-size limit
// (for any user), then on a full tmpfs where mounting is permitted.
void TestYIni::failedWritesKeepTheSettingsFiles() {
    const QString full = m_dir->filePath(QStringLiteral("full"));
    QVERIFY(QDir().mkdir(full));
    const bool mounted = QProcess::execute(QStringLiteral("mount"),
                                           {"-t", "tmpfs", "-o", "size=64k", "tmpfs", full}) == 0;
    const auto unmount = qScopeGuard([&] {
        if (mounted)
            QProcess::execute(QStringLiteral("umount"), {full});
    });
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    for (const QString& folder : {m_dir->path(), mounted ? full : QString()}) {
        if (folder.isEmpty())
            break;
        yIni ini(&m_msgs);
        QVERIFY(ini.loadDocument(folder + QStringLiteral("/User.xml")));
        ini.loadGroup(QStringLiteral("G"));
        ini.writeValue(QStringLiteral("K"), 1);
        ini.storeGroup();
        PrinterSettings printer;
        printer.outputFile = QStringLiteral("/tmp/a.pdf");
        QVERIFY(ini.saveDocument() && printer.save(folder + QStringLiteral("/IkPrn.Ik")));
        const QByteArray xml = readBytes(ini.filePath());
        const QByteArray prn = readBytes(folder + QStringLiteral("/IkPrn.Ik"));
        ini.writeValue(QStringLiteral("K"), QString(3000, u'x'));
        ini.storeGroup();
        printer.outputFile = QString(3000, u'y');
        rlimit small = unlimited;
        small.rlim_cur = 1000;
        if (folder == full)
            QProcess::execute(QStringLiteral("dd"),
                              {"if=/dev/zero", "of=" + full + "/filler", "bs=4k"});
        else
            setrlimit(RLIMIT_FSIZE, &small);
        const bool written =
            ini.saveDocument() || printer.save(folder + QStringLiteral("/IkPrn.Ik"));
        setrlimit(RLIMIT_FSIZE, &unlimited);
        QVERIFY(!written);
        QCOMPARE(readBytes(ini.filePath()), xml);
        QCOMPARE(readBytes(folder + QStringLiteral("/IkPrn.Ik")), prn);
    }
    std::signal(SIGXFSZ, previous);
    if (!mounted)
        QSKIP("mounting a tmpfs is not permitted here: only the file-size limit was tried");
}

QTEST_GUILESS_MAIN(TestYIni)
#include "tst_yini.moc"
