// Capture-or-copy decision for clipboard changes on X11.
#include "platform/ClipClassify.h"

#include <QTest>

using platform::classifyChange;
using platform::kClipCapture;
using platform::kClipCopy;
using platform::OwnerKind;
using platform::ownerKind;

class TestClipClassify : public QObject {
    Q_OBJECT
private slots:
    void classify_data();
    void classify();
    void ownerNames_data();
    void ownerNames();
    void formatKinds();
};

void TestClipClassify::classify_data() {
    QTest::addColumn<QStringList>("formats");
    QTest::addColumn<QStringList>("owner");
    QTest::addColumn<int>("expected");

    const QStringList png{"TARGETS", "image/png"};
    const QStringList qtImage{
        "TARGETS",   "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "application/x-qt-image",
        "image/png", "image/bmp"};
    const QStringList htmlImage{"TARGETS", "text/html", "image/png"};
    const QStringList imageAndName{"image/png", "text/plain"};

    // Pictures only, from a program nobody knows (xclip, a bare tool): a capture.
    QTest::newRow("picture-only, unknown owner") << png << QStringList{"xclip"} << kClipCapture;
    QTest::newRow("qt image with bookkeeping") << qtImage << QStringList{"someapp"} << kClipCapture;
    QTest::newRow("mixed-case image type")
        << QStringList{"IMAGE/PNG"} << QStringList{} << kClipCapture;

    // A capture tool counts even when it offers more than pictures.
    QTest::newRow("flameshot with uri")
        << QStringList{"image/png", "text/uri-list"} << QStringList{"flameshot"} << kClipCapture;
    QTest::newRow("spectacle by class")
        << imageAndName << QStringList{"org.kde.spectacle"} << kClipCapture;
    QTest::newRow("truncated comm")
        << imageAndName << QStringList{"gnome-screensho"} << kClipCapture;
    QTest::newRow("capture tool beats editor name")
        << imageAndName << QStringList{"gimp", "shutter"} << kClipCapture;

    // ...but not without a picture.
    QTest::newRow("capture tool, text only")
        << QStringList{"text/plain"} << QStringList{"flameshot"} << kClipCopy;

    // Editors and browsers copy pictures; that is a copy.
    QTest::newRow("firefox-esr picture") << png << QStringList{"firefox-esr"} << kClipCopy;
    QTest::newRow("chromium-browser picture") << png << QStringList{"chromium-browse"} << kClipCopy;
    QTest::newRow("libreoffice binary") << png << QStringList{"soffice.bin"} << kClipCopy;

    // Anything besides pictures and bookkeeping makes it a copy.
    QTest::newRow("html plus image") << htmlImage << QStringList{"clipoffer"} << kClipCopy;
    QTest::newRow("image plus text") << imageAndName << QStringList{} << kClipCopy;
    QTest::newRow("text") << QStringList{"TARGETS", "text/plain", "UTF8_STRING"}
                          << QStringList{"xclip"} << kClipCopy;
    QTest::newRow("nothing offered") << QStringList{} << QStringList{"xclip"} << kClipCopy;
    QTest::newRow("bookkeeping only")
        << QStringList{"TARGETS", "TIMESTAMP"} << QStringList{} << kClipCopy;

    // A clipboard manager is neither tool nor editor: its pictures follow the format rule.
    QTest::newRow("manager picture") << png << QStringList{"klipper"} << kClipCapture;
    QTest::newRow("manager html") << htmlImage << QStringList{"copyq"} << kClipCopy;
}

void TestClipClassify::classify() {
    QFETCH(QStringList, formats);
    QFETCH(QStringList, owner);
    QFETCH(int, expected);
    QCOMPARE(classifyChange(formats, owner), expected);
}

void TestClipClassify::ownerNames_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<OwnerKind>("kind");

    QTest::newRow("none") << QStringList{} << OwnerKind::Unknown;
    QTest::newRow("blank") << QStringList{"", "  "} << OwnerKind::Unknown;
    QTest::newRow("xclip") << QStringList{"xclip"} << OwnerKind::Unknown;
    QTest::newRow("case and spaces") << QStringList{" KSnip "} << OwnerKind::CaptureTool;
    QTest::newRow("script suffix")
        << QStringList{"xfce4-screenshooter-bin"} << OwnerKind::CaptureTool;
    QTest::newRow("class pair") << QStringList{"Navigator", "firefox"}
                                << OwnerKind::EditorOrBrowser;
    QTest::newRow("manager") << QStringList{"xfce4-clipman"} << OwnerKind::ClipboardManager;

    // Look-alikes must not match: only whole names, packager suffixes or a cut-off comm.
    QTest::newRow("prefix of a name") << QStringList{"cod"} << OwnerKind::Unknown;
    QTest::newRow("name inside another") << QStringList{"mycode"} << OwnerKind::Unknown;
    QTest::newRow("short cut-off") << QStringList{"flame"} << OwnerKind::Unknown;
    QTest::newRow("15 chars, no entry") << QStringList{"abcdefghijklmno"} << OwnerKind::Unknown;
}

void TestClipClassify::ownerNames() {
    QFETCH(QStringList, names);
    QFETCH(OwnerKind, kind);
    QCOMPARE(ownerKind(names), kind);
}

void TestClipClassify::formatKinds() {
    QVERIFY(platform::isPictureFormat("image/x-bmp"));
    QVERIFY(platform::isPictureFormat("application/x-qt-image"));
    QVERIFY(!platform::isPictureFormat("application/x-qt-windows-mime;value=\"PNG\""));
    QVERIFY(!platform::isPictureFormat("text/uri-list"));
    // Bookkeeping targets are matched exactly as the selection protocol names them.
    QVERIFY(platform::isBookkeepingFormat("SAVE_TARGETS"));
    QVERIFY(!platform::isBookkeepingFormat("targets"));
    QVERIFY(!platform::isBookkeepingFormat("UTF8_STRING"));
}

QTEST_GUILESS_MAIN(TestClipClassify)
#include "tst_clipclassify.moc"
