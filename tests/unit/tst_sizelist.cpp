#include "sizes/RangeList.h"
#include "sizes/SizeList.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace sizes;

class TestSizeList : public QObject {
    Q_OBJECT
private slots:
    void parseEntry();
    void entryValidity_data();
    void entryValidity();
    void buildEntryKeepsTheFormat();
    void captionsAndPixels();
    void parsePresets_data();
    void parsePresets();
    void screenPresetParsesBack();
    void scalePreset();
    void workArea();
    void listEdits();
    void listEditsOnEmptyAndOutOfRange();
    void nameCollision();
    void temporaryEntry();
    void rangeCaption_data();
    void rangeCaption();
    void buildRangeMenu();
    void registeredRange();
};

void TestSizeList::parseEntry() {
    const SizeEntry a = ParseEntry(QStringLiteral("A4 50%,10.5,14.85,cm"));
    QCOMPARE(a.name, u"A4 50%"_qs);
    QCOMPARE(a.width, 10.5f);
    QCOMPARE(a.height, 14.85f);
    QCOMPARE(a.unit, u"cm"_qs);
    QVERIFY(a.appliesAsCm);

    // "CM" shows as cm but is applied as pixels; any other unit is pixels.
    const SizeEntry caps = ParseEntry(QStringLiteral("X,1,2,CM,extra"));
    QCOMPARE(caps.unit, u"cm"_qs);
    QVERIFY(!caps.appliesAsCm);
    QCOMPARE(caps.fieldCount, 5);
    const SizeEntry mm = ParseEntry(QStringLiteral("X,1,2,mm"));
    QCOMPARE(mm.unit, u"px"_qs);
    QVERIFY(!mm.appliesAsCm);

    const SizeEntry lenient = ParseEntry(QStringLiteral("Y, 0468 ,12.50px,"));
    QCOMPARE(lenient.width, 468.0f);
    QCOMPARE(lenient.height, 12.5f);
    QCOMPARE(lenient.unit, u"px"_qs);
}

void TestSizeList::entryValidity_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("valid");
    QTest::newRow("pixels") << "Temporary,640,480,px" << true;
    QTest::newRow("three fields") << "A,1,2" << false;
    QTest::newRow("empty name") << ",1,2,px" << false;
    QTest::newRow("zero width") << "A,0,2,px" << false;
    QTest::newRow("no number height") << "A,1,x,px" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("negative is not zero") << "A,-1,2,px" << true;
    QTest::newRow("beyond single precision") << "A,1e39,2,px" << false;
    QTest::newRow("rounds to zero in single precision") << "A,1e-50,2,px" << false;
}

void TestSizeList::entryValidity() {
    QFETCH(QString, entry);
    QFETCH(bool, valid);
    QCOMPARE(ParseEntry(entry).isValid(), valid);
}

void TestSizeList::buildEntryKeepsTheFormat() {
    QCOMPARE(
        BuildEntry(QStringLiteral("VGA 50%"), QStringLiteral("320"), QStringLiteral("240"), false),
        u"VGA 50%,320,240,px"_qs);
    QCOMPARE(
        BuildEntry(QStringLiteral("L判 100%"), QStringLiteral("8.9"), QStringLiteral("12.7"), true),
        u"L判 100%,8.9,12.7,cm"_qs);
    // Separators typed into a field would split the entry or the list.
    const QString e =
        BuildEntry(QStringLiteral("a:b,c"), QStringLiteral("1,024"), QStringLiteral("7:68"), false);
    QCOMPARE(e, u"abc,1024,768,px"_qs);
    const SizeEntry back = ParseEntry(e);
    QCOMPARE(back.width, 1024.0f);
    QCOMPARE(back.height, 768.0f);
    QCOMPARE(listEntries(e + u':' + e).size(), 2);
}

void TestSizeList::captionsAndPixels() {
    const SizeEntry t = ParseEntry(QStringLiteral("Temporary,640,480,px"));
    QCOMPARE(listCaption(t), u"Temporary(640*480 px)"_qs);
    QCOMPARE(menuCaption(t), u"Temporary(640 * 480 px)"_qs);
    QCOMPARE(entryPixelWidth(t), 640.0);

    const SizeEntry cm = ParseEntry(QStringLiteral("A,10,5,cm"));
    QCOMPARE(qRound(entryPixelWidth(cm)), 378);
    QCOMPARE(qRound(entryPixelHeight(cm)), 189);
    QVERIFY(qAbs(cmToPixels(21.0) - 793.7007874) < 1e-6);
    QCOMPARE(entryPixelWidth(ParseEntry(QStringLiteral("A,10,5,CM"))), 10.0);
}

void TestSizeList::parsePresets_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    const QList<std::tuple<const char*, float, float>> pixel = {
        {"QVGA", 320, 240}, {"VGA", 640, 480},    {"SVGA", 800, 600},
        {"XGA", 1024, 768}, {"SXGA", 1280, 1024}, {"UXGA", 1600, 1200}};
    for (int i = 0; i < pixel.size(); ++i)
        QTest::newRow(pixelPresets()[i].toUtf8())
            << pixelPresets()[i] << QString::fromUtf8(std::get<0>(pixel[i]))
            << std::get<1>(pixel[i]) << std::get<2>(pixel[i]);
    const QList<std::tuple<QString, float, float>> cm = {
        {u"A4"_qs, 21.0f, 29.7f}, {u"B5"_qs, 18.2f, 25.7f},   {u"A5"_qs, 14.8f, 21.0f},
        {u"A6"_qs, 10.5f, 14.8f}, {u"ﾊｶﾞｷ"_qs, 10.0f, 14.8f}, {u"ﾌｫﾄ"_qs, 10.2f, 15.2f},
        {u"L判"_qs, 8.9f, 12.7f}};
    for (int i = 0; i < cm.size(); ++i)
        QTest::newRow(cmPresets()[i].toUtf8())
            << cmPresets()[i] << std::get<0>(cm[i]) << std::get<1>(cm[i]) << std::get<2>(cm[i]);
}

void TestSizeList::parsePresets() {
    QFETCH(QString, text);
    QFETCH(QString, label);
    QFETCH(float, width);
    QFETCH(float, height);
    const std::optional<Preset> p = ParsePreset(text);
    QVERIFY(p);
    QCOMPARE(p->label, label);
    QCOMPARE(p->width, width);
    QCOMPARE(p->height, height);
}

void TestSizeList::screenPresetParsesBack() {
    QCOMPARE(pixelPresets().size(), 6);
    QCOMPARE(cmPresets().size(), 7);
    QCOMPARE(screenPreset(1920, 1040), u"ｽｸﾘｰﾝ 1,920 * 1,040"_qs);
    const std::optional<Preset> p = ParsePreset(screenPreset(1920, 1040));
    QVERIFY(p);
    QCOMPARE(p->label, u"ｽｸﾘｰﾝ"_qs);
    QCOMPARE(p->width, 1920.0f);
    QCOMPARE(p->height, 1040.0f);

    QVERIFY(!ParsePreset(QStringLiteral("A4 21.0 x")));
    QVERIFY(!ParsePreset(QStringLiteral("   ")));
    QVERIFY(!ParsePreset(QString()));
}

void TestSizeList::scalePreset() {
    const Preset vga = *ParsePreset(QStringLiteral(" VGA   640 x   480"));
    const std::optional<ScaledSize> half = sizes::scalePreset(vga, 50, true);
    QVERIFY(half);
    QCOMPARE(half->name, u"VGA 50%"_qs);
    QCOMPARE(half->width, 240.0f);
    QCOMPARE(half->height, 320.0f);

    const Preset qvga = *ParsePreset(pixelPresets()[0]);
    QCOMPARE(sizes::scalePreset(qvga, 33, false)->width, 105.6f); // no rounding
    const Preset l = *ParsePreset(cmPresets()[6]);
    const std::optional<ScaledSize> full = sizes::scalePreset(l, 100, false);
    QCOMPARE(full->name, u"L判 100%"_qs);
    QCOMPARE(full->width, 8.9f);
    QCOMPARE(full->height, 12.7f);
    QCOMPARE(sizes::scalePreset(vga, 12.5, false)->name, u"VGA 12.5%"_qs);

    QVERIFY(!sizes::scalePreset(vga, 0, false));
    QVERIFY(!sizes::scalePreset(vga, 150, false));
    QVERIFY(!sizes::scalePreset(vga, -5, false));
}

void TestSizeList::workArea() {
    setWorkAreaSource([] { return QRect(0, 0, 1920, 1040); });
    int w = 0;
    int h = 0;
    ScrnSz(w, h);
    QCOMPARE(w, 1920);
    QCOMPARE(h, 1040);
    setWorkAreaSource([] { return QRect(100, 30, 1820, 1010); });
    ScrnSz(w, h);
    QCOMPARE(w, 1820);
    QCOMPARE(h, 1010);

    setWorkAreaSource({});
    ScrnSz(w, h);
    const QRect real = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(w, real.width());
    QCOMPARE(h, real.height());
    QVERIFY(w > 0 && h > 0);
}

void TestSizeList::listEdits() {
    const QString list = QStringLiteral("A,1,1,px:B,2,2,px:C,3,3,px:");
    ListEdit r = moveUp(list, 1);
    QCOMPARE(r.list, u"B,2,2,px:A,1,1,px:C,3,3,px"_qs);
    QCOMPARE(r.selected, 0);
    r = moveDown(list, 1);
    QCOMPARE(r.list, u"A,1,1,px:C,3,3,px:B,2,2,px"_qs);
    QCOMPARE(r.selected, 2);
    r = deleteEntry(list, 0);
    QCOMPARE(r.list, u"B,2,2,px:C,3,3,px"_qs);
    QCOMPARE(r.selected, -1);
    r = replaceEntry(list, 2, QStringLiteral("Z,9,9,cm"));
    QCOMPARE(r.list, u"A,1,1,px:B,2,2,px:Z,9,9,cm"_qs);
    QCOMPARE(r.selected, 2);
    r = insertEntry(list, 2, QStringLiteral("N,5,5,px"));
    QCOMPARE(r.list, u"A,1,1,px:B,2,2,px:N,5,5,px:C,3,3,px"_qs);
    QCOMPARE(r.selected, 2);
    r = insertEntry(list, -1, QStringLiteral("N,5,5,px"));
    QCOMPARE(r.list, u"N,5,5,px:A,1,1,px:B,2,2,px:C,3,3,px"_qs);
    QCOMPARE(r.selected, -1);
    // Empty elements anywhere do not shift the rows.
    r = moveDown(QStringLiteral(":A,1,1,px::B,2,2,px"), 0);
    QCOMPARE(r.list, u"B,2,2,px:A,1,1,px"_qs);
    QCOMPARE(r.selected, 1);
}

void TestSizeList::listEditsOnEmptyAndOutOfRange() {
    const QString list = QStringLiteral("A,1,1,px:B,2,2,px");
    // Moving the first entry up or the last one down is not offered and changes nothing.
    QCOMPARE(moveUp(list, 0).list, list);
    QCOMPARE(moveDown(list, 1).list, list);
    QCOMPARE(moveDown(list, -1).list, list);
    QCOMPARE(deleteEntry(list, -1).list, list);
    QCOMPARE(deleteEntry(list, 5).list, list);
    QCOMPARE(replaceEntry(list, -1, QStringLiteral("Z,1,1,px")).list, list);
    const ListEdit end = insertEntry(list, 9, QStringLiteral("Z,1,1,px"));
    QCOMPARE(end.list, u"A,1,1,px:B,2,2,px:Z,1,1,px"_qs);
    QCOMPARE(end.selected, 2);

    QCOMPARE(replaceEntry(QString(), 0, QStringLiteral("Z,1,1,px")).list, u"Z,1,1,px"_qs);
    QCOMPARE(insertEntry(QString(), -1, QStringLiteral("Z,1,1,px")).list, u"Z,1,1,px"_qs);
    QCOMPARE(deleteEntry(QString(), 0).list, QString());
    QCOMPARE(moveUp(QString(), 1).list, QString());
    QCOMPARE(deleteEntry(QStringLiteral("A,1,1,px:"), 0).list, QString());
}

void TestSizeList::nameCollision() {
    const QString list = QStringLiteral("Temporary,640,480,px:A4 50%,10.5,14.85,cm");
    QVERIFY(nameTaken(list, QStringLiteral("temporary")));
    QVERIFY(nameTaken(list, QStringLiteral("a4 50%")));
    QVERIFY(!nameTaken(list, QStringLiteral("A4")));
    QVERIFY(!nameTaken(list, QStringLiteral("porary")));
    QVERIFY(!nameTaken(QString(), QStringLiteral("A")));
}

void TestSizeList::temporaryEntry() {
    QCOMPARE(withTemporary(QString(), 640, 480), u"Temporary,640,480,px:"_qs);
    QCOMPARE(withTemporary(QStringLiteral("A,1,1,px"), 20, 30), u"Temporary,20,30,px:A,1,1,px"_qs);
    // An existing entry keeps its old size; the search is case-sensitive.
    const QString held = QStringLiteral("A,1,1,px:Temporary,5,5,px");
    QCOMPARE(withTemporary(held, 640, 480), held);
    QCOMPARE(withTemporary(QStringLiteral("temporary,5,5,px"), 6, 7),
             u"Temporary,6,7,px:temporary,5,5,px"_qs);
    QCOMPARE(withTemporary(QStringLiteral("MyTemporary,5,5,px"), 6, 7),
             u"Temporary,6,7,px:MyTemporary,5,5,px"_qs);
}

void TestSizeList::rangeCaption_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("caption");
    QTest::newRow("cm") << "A4,21,29.7,cm"
                        << "A4(21 * 29.7 cm)";
    QTest::newRow("rewritten numbers") << "X,0468,12.50,px"
                                       << "X(468 * 12.5 px)";
    QTest::newRow("capital unit") << "X,10,5,CM"
                                  << "X(10 * 5 cm)";
    QTest::newRow("other unit") << "X,10,5,mm"
                                << "X(10 * 5 px)";
    QTest::newRow("extra fields") << "X,1,2,px,junk"
                                  << "X(1 * 2 px)";
    QTest::newRow("zero") << "B,0,10,px"
                          << "";
    QTest::newRow("short") << "D,5"
                           << "";
    QTest::newRow("no name") << ",5,5,px"
                             << "";
}

void TestSizeList::rangeCaption() {
    QFETCH(QString, entry);
    QFETCH(QString, caption);
    QCOMPARE(RangeCaption(entry), caption);
}

void TestSizeList::buildRangeMenu() {
    RangeMenu m = BuildRangeMenu(QStringLiteral("A,100,50,px:B,0,10,px:C,20,20,px:D,5"));
    QCOMPARE(m.list, u"A,100,50,px:C,20,20,px"_qs);
    QCOMPARE(m.captions, (QStringList{u"A(100 * 50 px)"_qs, u"C(20 * 20 px)"_qs}));
    QVERIFY(m.separatorVisible());

    // A trailing ":" or empty elements read the same as without them.
    QCOMPARE(BuildRangeMenu(QStringLiteral("::A,100,50,px:")).list, u"A,100,50,px"_qs);
    // Elements with fewer than four fields are dropped whole.
    m = BuildRangeMenu(QStringLiteral("A,1:B,2,3"));
    QVERIFY(m.list.isEmpty());
    QVERIFY(m.captions.isEmpty());
    QVERIFY(!m.separatorVisible());
    // The held list is kept as given, entry by entry.
    QCOMPARE(BuildRangeMenu(QStringLiteral("X,0468,1,CM,more")).list, u"X,0468,1,CM,more"_qs);
}

// A registered size becomes the range from (10, 10), measured at 96 dpi, within the picture.
void TestSizeList::registeredRange() {
    const QString list = QStringLiteral("A,10,5,cm:B,100,50,CM:C,2000,50,px");
    const QSize picture(1000, 800);
    const QRect a = sizes::RegisteredRange(sizes::RangeSize(list, 0), picture);
    QCOMPARE(QRect(a.topLeft(), QSize(a.right(), a.bottom())),
             QRect(QPoint(10, 10), QSize(388, 199)));
    QCOMPARE(sizes::RangeSize(list, 1), QSizeF(100, 50)); // "CM" is not "cm": pixels
    const QRect c = sizes::RegisteredRange(sizes::RangeSize(list, 2), picture);
    QCOMPARE(c.right(), 1000); // limited to the picture
    QCOMPARE(c.bottom(), 60);
    QVERIFY(sizes::RangeSize(list, 3).isNull());
    QVERIFY(sizes::RegisteredRange(QSizeF(0, 20), picture).isNull());
}

QTEST_MAIN(TestSizeList)
#include "tst_sizelist.moc"
