// Wayland clipboard offers: what is read of an offer and how it is classified, the road the
// clipboard is watched by, and the mark on this program's own offers.
#include "platform/ClipClassify.h"
#include "platform/Platform.h"
#include "platform/wayland/SwayVisibility.h"
#include "platform/wayland/WlOffer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QMimeData>
#include <QTest>

#include <unistd.h>

using namespace platform;
using namespace platform::wayland;

namespace {

const QStringList kPictures{"image/bmp", "image/png", "image/jpeg"};

// Hands out what an offer holds, noting every MIME type asked for.
struct FakeOwner {
    QHash<QString, OfferData> data;
    QStringList asked;
    ReadOffer reader() {
        return [this](const QString& type) {
            asked << type;
            return data.value(type, OfferData{std::nullopt, QStringLiteral("応答がありません")});
        };
    }
};

} // namespace

class TestWaylandClipboard : public QObject {
    Q_OBJECT
private slots:
    void offers() {
        FakeOwner owner;
        owner.data["image/png"] = {QByteArray("png-bytes"), {}};
        owner.data["image/bmp"] = {QByteArray("bmp-bytes"), {}};
        owner.data["text/plain;charset=utf-8"] = {QByteArray("h\xc3\xa9"), {}};

        // A bare picture from an owner nobody can name is a capture; the first picture type
        // wanted is the one read, and only that.
        auto s = snapshotOfOffer({"image/png", "image/bmp"}, kPictures, owner.reader());
        QVERIFY(s);
        QCOMPARE(s->value, kClipCapture);
        QCOMPARE(s->pictureFormat, QByteArray("image/bmp"));
        QCOMPARE(s->pictureBytes, QByteArray("bmp-bytes"));
        QCOMPARE(owner.asked, QStringList{"image/bmp"});
        QVERIFY(!s->lost);

        // Markup with text is a copy: the text is read.
        owner.asked.clear();
        s = snapshotOfOffer({"text/html", "text/plain;charset=utf-8", "text/plain"}, kPictures,
                            owner.reader());
        QCOMPARE(s->value, kClipCopy);
        QVERIFY(s->hasText && s->richText);
        QCOMPARE(s->text, QStringLiteral("hé"));
        QCOMPARE(owner.asked, QStringList{"text/plain;charset=utf-8"});

        // Our own offer, come back through the compositor, is not read at all.
        owner.asked.clear();
        QVERIFY(!snapshotOfOffer({"image/png", kOwnOfferFormat}, kPictures, owner.reader()));
        QVERIFY(owner.asked.isEmpty());

        // Nothing readable: classified, nothing asked, not lost.
        s = snapshotOfOffer({"application/x-thing"}, kPictures, owner.reader());
        QCOMPARE(s->value, kClipCopy);
        QVERIFY(owner.asked.isEmpty() && !s->lost && !s->hasPicture());
    }

    void lostOffers() {
        FakeOwner owner;
        auto s = snapshotOfOffer({"image/png"}, kPictures, owner.reader());
        QVERIFY(s->lost);
        QCOMPARE(s->lostReason, QStringLiteral("応答がありません"));
        owner.data["image/png"] = {QByteArray(), {}};
        s = snapshotOfOffer({"image/png"}, kPictures, owner.reader());
        QVERIFY(s->lost);
        QCOMPARE(s->lostReason, QStringLiteral("空のﾃﾞｰﾀでした"));
    }

    void readingAPipe() {
        int fds[2];
        QCOMPARE(::pipe(fds), 0);
        QCOMPARE(::write(fds[1], "abcdef", 6), 6);
        // An owner that does not close its end is given up, not waited on for ever.
        OfferData got = readToEnd(fds[0], 10, 100);
        QVERIFY(!got.data);
        QCOMPARE(got.failure, QStringLiteral("応答がありません"));
        QCOMPARE(::write(fds[1], "ghij", 4), 4);
        ::close(fds[1]);
        got = readToEnd(fds[0], 1000, 100);
        QCOMPARE(got.data.value_or("none"), QByteArray("ghij"));
        ::close(fds[0]);

        QCOMPARE(::pipe(fds), 0);
        QCOMPARE(::write(fds[1], "abcdef", 6), 6);
        ::close(fds[1]);
        got = readToEnd(fds[0], 1000, 5);
        QVERIFY(!got.data);
        QCOMPARE(got.failure, QStringLiteral("ﾃﾞｰﾀが大きすぎます"));
        ::close(fds[0]);
    }

    void road() {
        using R = ClipboardRoad;
        QCOMPARE(chooseClipboardRoad({}, true, true), R::Wayland);
        QCOMPARE(chooseClipboardRoad({}, true, false), R::X11); // GNOME: XWayland's
        QCOMPARE(chooseClipboardRoad({}, false, true), R::X11);
        QCOMPARE(chooseClipboardRoad("x11", true, true), R::X11);
        QCOMPARE(chooseClipboardRoad("wayland", false, true), R::Wayland);
        QCOMPARE(chooseClipboardRoad("wayland", true, false), R::X11);
    }

    void swayTree() {
        // Trimmed from sway's GET_TREE: ours (X window 4194354) on a workspace, then in the
        // scratchpad.
        const auto tree = [](bool visible) {
            return QJsonDocument::fromJson(
                       QStringLiteral(R"({"name":"root","nodes":[{"name":"__i3","nodes":[
                {"name":"__i3_scratch","floating_nodes":[]}]},{"name":"HEADLESS-1","nodes":[
                {"name":"1","floating_nodes":[{"name":"other","window":7,"visible":true},
                {"name":"Tolvik","window":4194354,"visible":%1}]}]}]})")
                           .arg(visible ? "true" : "false")
                           .toUtf8())
                .object();
        };
        QCOMPARE(SwayVisibility::visibleInTree(tree(true), 4194354), std::optional<bool>(true));
        QCOMPARE(SwayVisibility::visibleInTree(tree(false), 4194354), std::optional<bool>(false));
        QCOMPARE(SwayVisibility::visibleInTree(tree(false), 99), std::nullopt);
        const QByteArray m = SwayVisibility::message(4, "[]");
        QCOMPARE(m.size(), 16);
        QVERIFY(m.startsWith("i3-ipc") && m.endsWith("[]"));
    }

    void ownOffersAreMarked() {
        auto* data = new QMimeData;
        data->setText("ours");
        putOnClipboard(data);
        const QMimeData* now = QGuiApplication::clipboard()->mimeData();
        QVERIFY(now && now->hasFormat(kOwnOfferFormat));
        QCOMPARE(now->text(), QStringLiteral("ours"));
    }
};

QTEST_MAIN(TestWaylandClipboard)
#include "tst_waylandclipboard.moc"
