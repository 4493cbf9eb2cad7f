// The X11 backend against a private Xvfb: pointer, active window, clipboard owner and the
// watch's reports. Skipped where Xvfb or the X command-line tools are not installed.
#include "platform/x11/X11ClipboardWatch.h"
#include "platform/x11/XActiveWindow.h"
#include "platform/x11/XClipboardOwner.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XPointer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

// An Xvfb of our own, started before the application connects to it.
class PrivateXServer {
public:
    bool start() {
        const QByteArray xvfb = QStandardPaths::findExecutable("Xvfb").toLocal8Bit();
        int fds[2];
        if (xvfb.isEmpty() || pipe(fds) != 0)
            return false;
        m_pid = fork();
        if (m_pid == 0) {
            close(fds[0]);
            const QByteArray fd = QByteArray::number(fds[1]);
            // -noreset: this server writes its display number again after a reset, to a
            // descriptor it has closed, and dies of it.
            execl(xvfb.constData(), "Xvfb", "-displayfd", fd.constData(), "-screen", "0",
                  "640x480x24", "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The read end stays open for the server's whole life: closing it early makes a
        // late write of the server fail, and the server with it.
        m_readFd = fds[0];
        QByteArray number;
        char c = 0;
        while (m_pid > 0 && !number.endsWith('\n')) {
            const ssize_t n = read(m_readFd, &c, 1);
            if (n == 1)
                number += c;
            else if (n < 0 && errno == EINTR)
                continue;
            else
                return false;
        }
        m_display = ":" + number.trimmed();
        // Ready once it takes a client.
        for (int i = 0; i < 100; ++i) {
            xcb_connection_t* c2 = xcb_connect(m_display.constData(), nullptr);
            const bool ok = !xcb_connection_has_error(c2);
            xcb_disconnect(c2);
            if (ok)
                return true;
            usleep(50000);
        }
        return false;
    }
    ~PrivateXServer() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_readFd >= 0)
            close(m_readFd);
    }
    QByteArray display() const { return m_display; }

private:
    pid_t m_pid = -1;
    int m_readFd = -1;
    QByteArray m_display;
};

bool g_haveX = false;

// A clipboard owner whose every step the test decides, run as this executable started with
// "owner SCENARIO" (the watch ignores offers of its own process). It offers a bare picture
// and answers whatever it is asked, like xclip, whatever time the request names.
class ScriptedOwner {
public:
    ScriptedOwner() : m_c(xcb_connect(nullptr, nullptr)) {
        for (auto [name, a] : {std::pair{"CLIPBOARD", &m_clipboard},
                               {"TARGETS", &m_targets},
                               {"image/png", &m_png}}) {
            auto* r = xcb_intern_atom_reply(
                m_c, xcb_intern_atom(m_c, 0, uint16_t(std::strlen(name)), name), nullptr);
            *a = r ? r->atom : XCB_NONE;
            std::free(r);
        }
    }
    xcb_window_t newWindow() {
        const xcb_window_t w = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, w,
                          xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        return w;
    }
    void take(xcb_window_t w, xcb_timestamp_t time = XCB_CURRENT_TIME) {
        xcb_set_selection_owner(m_c, w, m_clipboard, time);
        xcb_flush(m_c);
    }
    xcb_selection_request_event_t nextRequest() {
        for (;;) {
            xcb_generic_event_t* e = xcb_wait_for_event(m_c);
            if (!e)
                _exit(1);
            xcb_selection_request_event_t r{};
            const bool request = (e->response_type & 0x7f) == XCB_SELECTION_REQUEST;
            if (request)
                std::memcpy(&r, e, sizeof r);
            std::free(e);
            if (request)
                return r;
        }
    }
    void answer(const xcb_selection_request_event_t& r, const QByteArray& picture) {
        xcb_selection_notify_event_t n{XCB_SELECTION_NOTIFY, 0,           0,        r.time,
                                       r.requestor,          r.selection, r.target, r.property};
        if (r.target == m_targets) {
            const xcb_atom_t offered[] = {m_targets, m_png};
            xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, r.requestor, r.property, XCB_ATOM_ATOM,
                                32, 2, offered);
        } else {
            xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, r.requestor, r.property, m_png, 8,
                                uint32_t(picture.size()), picture.constData());
        }
        xcb_send_event(m_c, 0, r.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&n));
        xcb_flush(m_c);
    }
    [[noreturn]] void serveForever(const QByteArray& picture) {
        for (;;)
            answer(nextRequest(), picture);
    }

private:
    xcb_connection_t* m_c;
    xcb_atom_t m_clipboard = 0, m_targets = 0, m_png = 0;
};

// handover: another window takes the clipboard before the first has handed over its
// picture, so the request for it reaches the new owner. movedOn: the first owner takes the
// clipboard again (new content) before it answers. lateHandover: another window takes it
// only after the request reached the first owner, which answers with its own picture.
// sameTime: the first owner, once read, takes the clipboard again with the same time.
[[noreturn]] void runScriptedOwner(const QByteArray& scenario) {
    ScriptedOwner o;
    const xcb_window_t first = o.newWindow();
    const xcb_window_t second = o.newWindow();
    o.take(first);
    const xcb_selection_request_event_t targets = o.nextRequest();
    if (scenario == "handover") {
        o.take(second);
        o.answer(targets, {});
        o.serveForever("second picture");
    }
    o.answer(targets, {});
    const xcb_selection_request_event_t picture = o.nextRequest();
    if (scenario == "sameTime") {
        o.answer(picture, "first picture");
        o.take(first, targets.time); // the time the reader asks with is the one announced
        o.serveForever("second picture");
    }
    o.take(scenario == "movedOn" ? first : second);
    o.answer(picture, scenario == "movedOn" ? "second picture" : "first picture");
    o.serveForever("second picture");
}

} // namespace

class TestX11Backend : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void pointer();
    void screenSizeInDevicePixels();
    void activeWindow();
    void clipboardOwner();
    void watchReports();
    void answerAfterOwnerChange_data();
    void answerAfterOwnerChange();

private:
    QProcess* start(const QString& program, const QStringList& args);
    QProcess* offer(const QString& program, const QString& type, const QString& file);
    QString run(const QString& program, const QStringList& args);
    QString aliasOfXclip(const QString& name);
    qint64 ownerPid() { return x11::clipboardOwner(*m_conn).pid; }
    QString makePng(int seed);

    std::shared_ptr<x11::XConnection> m_conn;
    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<QProcess>> m_procs;
};

void TestX11Backend::initTestCase() {
    if (!g_haveX)
        QSKIP("no Xvfb");
    for (const char* tool : {"xclip", "xdotool", "xprop", "xev", "xwininfo"})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 not installed").arg(tool)));
    m_conn = std::make_shared<x11::XConnection>();
    QVERIFY(m_conn->isValid());
    QVERIFY(m_conn->hasXFixes());
    QVERIFY(m_dir.isValid());
}

void TestX11Backend::cleanup() {
    for (auto& p : m_procs) {
        p->kill();
        p->waitForFinished(2000);
    }
    m_procs.clear();
}

QProcess* TestX11Backend::start(const QString& program, const QStringList& args) {
    auto p = std::make_unique<QProcess>();
    p->setStandardOutputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QProcess::nullDevice());
    p->start(program, args);
    if (!p->waitForStarted(5000))
        return nullptr;
    m_procs.push_back(std::move(p));
    return m_procs.back().get();
}

QString TestX11Backend::run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// xclip in the foreground (-quiet), holding the file until another owner takes over.
QProcess* TestX11Backend::offer(const QString& program, const QString& type, const QString& file) {
    return start(program, {"-quiet", "-selection", "clipboard", "-t", type, "-i", file});
}

// xclip under another name, so that the owner looks like that program.
QString TestX11Backend::aliasOfXclip(const QString& name) {
    const QString path = m_dir.filePath(name);
    if (!QFile::exists(path))
        QFile::copy(QStandardPaths::findExecutable("xclip"), path);
    return path;
}

QString TestX11Backend::makePng(int seed) {
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(QColor::fromHsv(seed * 40 % 360, 200, 200));
    const QString path = m_dir.filePath(QStringLiteral("pic%1.png").arg(seed));
    img.save(path);
    return path;
}

void TestX11Backend::pointer() {
    run("xdotool", {"mousemove", "321", "123"});
    PointerSnapshot p = x11::readPointer(*m_conn);
    QCOMPARE(p.pos, QPoint(321, 123));
    QVERIFY(!p.image.isNull());
    QCOMPARE(p.image.format(), QImage::Format_ARGB32_Premultiplied);
    // Some pixel of the pointer is visible.
    bool opaque = false;
    for (int y = 0; y < p.image.height() && !opaque; ++y)
        for (int x = 0; x < p.image.width() && !opaque; ++x)
            opaque = qAlpha(p.image.pixel(x, y)) > 0;
    QVERIFY(opaque);

    run("xdotool", {"mousemove", "0", "479"});
    QCOMPARE(x11::readPointer(*m_conn).pos, QPoint(0, 479));
}

void TestX11Backend::screenSizeInDevicePixels() {
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(320, 240));
    QCOMPARE(createDesktop()->primaryScreenSize(), QSize(640, 480));
}

void TestX11Backend::activeWindow() {
    // Nothing focused on a bare server.
    QCOMPARE(x11::activeWindowRect(*m_conn), QRect());

    QVERIFY(start("xev", {"-geometry", "200x100+50+60", "-name", "first"}));
    QVERIFY(start("xev", {"-geometry", "120x80+300+200", "-name", "second"}));
    const QString first = run("xdotool", {"search", "--sync", "--name", "^first$"});
    const QString second = run("xdotool", {"search", "--sync", "--name", "^second$"});
    QVERIFY(!first.isEmpty() && !second.isEmpty());
    const QString info = run("xwininfo", {"-id", first});
    const int bw = info.section("Border width:", 1).section('\n', 0, 0).trimmed().toInt();

    // Without a window manager: the focused window, its border included. X places a
    // window's outer corner at the position asked for.
    run("xdotool", {"windowfocus", "--sync", second});
    QCOMPARE(x11::activeWindowRect(*m_conn), QRect(300, 200, 120 + 2 * bw, 80 + 2 * bw));

    // The window manager's word comes before the focus, and its frame extents widen the rect.
    run("xprop", {"-root", "-f", "_NET_ACTIVE_WINDOW", "32x", "-set", "_NET_ACTIVE_WINDOW", first});
    const QRect outer(50, 60, 200 + 2 * bw, 100 + 2 * bw);
    QCOMPARE(x11::activeWindowRect(*m_conn), outer);
    run("xprop",
        {"-id", first, "-f", "_NET_FRAME_EXTENTS", "32c", "-set", "_NET_FRAME_EXTENTS", "1,2,3,4"});
    QCOMPARE(x11::activeWindowRect(*m_conn), outer.adjusted(-1, -3, 2, 4));
    run("xprop", {"-root", "-remove", "_NET_ACTIVE_WINDOW"});
}

void TestX11Backend::clipboardOwner() {
    QCOMPARE(x11::clipboardOwner(*m_conn).window, 0u);
    QVERIFY(!x11::processNames(QCoreApplication::applicationPid()).isEmpty());

    QFile text(m_dir.filePath("t.txt"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("hello");
    text.close();
    QProcess* p = offer(aliasOfXclip("someowner"), "UTF8_STRING", text.fileName());
    QVERIFY(p);
    QTRY_COMPARE(ownerPid(), p->processId());
    const x11::ClipboardOwner o = x11::clipboardOwner(*m_conn);
    QVERIFY(o.window != 0);
    QVERIFY2(o.names.contains("someowner"), qPrintable(o.names.join(',')));
}

void TestX11Backend::watchReports() {
    x11::X11ClipboardWatch watch;
    std::vector<ClipboardSnapshot> got;
    connect(&watch, &ClipboardWatch::changed, this,
            [&got](const ClipboardSnapshot& s) { got.push_back(s); });

    // Inactive: nothing.
    QProcess* p = offer("xclip", "image/png", makePng(1));
    QTRY_COMPARE(ownerPid(), p->processId());
    QTest::qWait(300);
    QCOMPARE(got.size(), size_t(0));

    watch.setActive(true);
    watch.setActive(true); // a second switch-on must not double the reports
    QVERIFY(watch.isActive());

    // A bare picture from an unknown program is a capture, read as offered, with the
    // pointer of that moment.
    run("xdotool", {"mousemove", "30", "40"});
    const QString png = makePng(2);
    p = offer("xclip", "image/png", png);
    QTRY_COMPARE(got.size(), size_t(1));
    QCOMPARE(got[0].value, 0);
    QVERIFY(!got[0].lost);
    QCOMPARE(got[0].pictureFormat, QByteArray("image/png"));
    QFile pngFile(png);
    QVERIFY(pngFile.open(QIODevice::ReadOnly));
    QCOMPARE(got[0].pictureBytes, pngFile.readAll());
    QCOMPARE(got[0].pointer.pos, QPoint(30, 40));
    QVERIFY(got[0].pointer.hasHotspot);
    // Known by who announced it and when.
    QCOMPARE(got[0].announcement.owner, x11::clipboardOwner(*m_conn).window);
    QVERIFY(got[0].announcement.time != 0);
    got.clear();

    // Markup is a copy.
    QFile html(m_dir.filePath("a.html"));
    QVERIFY(html.open(QIODevice::WriteOnly));
    html.write("<b>x</b>");
    html.close();
    offer("xclip", "text/html", html.fileName());
    QTRY_COMPARE(got.size(), size_t(1));
    QCOMPARE(got[0].value, 1);
    QVERIFY(got[0].richText);
    got.clear();

    // The same bare picture from a browser is a copy; the name came from the process.
    offer(aliasOfXclip("firefox"), "image/png", makePng(3));
    QTRY_COMPARE(got.size(), size_t(1));
    QCOMPARE(got[0].value, 1);
    got.clear();

    // A clipboard manager taking the clipboard over hands back what was offered before.
    p = offer(aliasOfXclip("klipper"), "image/png", makePng(6));
    QTRY_COMPARE(ownerPid(), p->processId());
    QTest::qWait(300);
    QCOMPARE(got.size(), size_t(0));

    // A large text arrives whole (an incremental transfer).
    QFile big(m_dir.filePath("big.txt"));
    QVERIFY(big.open(QIODevice::WriteOnly));
    const QByteArray line = QByteArray("日本語のﾃｷｽﾄ and some more text, line ") + '\n';
    QByteArray text;
    while (text.size() < 10 * 1024 * 1024)
        text += line;
    big.write(text);
    big.close();
    offer("xclip", "UTF8_STRING", big.fileName());
    QTRY_COMPARE_WITH_TIMEOUT(got.size(), size_t(1), 15000);
    QVERIFY(!got[0].lost);
    QVERIFY(got[0].hasText);
    QCOMPARE(got[0].text, QString::fromUtf8(text));
    got.clear();

    // Our own offers are never reported.
    QGuiApplication::clipboard()->setImage(QImage(makePng(5)));
    QVERIFY(QGuiApplication::clipboard()->ownsClipboard());
    QTest::qWait(300);
    QCOMPARE(got.size(), size_t(0));

    watch.setActive(false);
    p = offer("xclip", "image/png", makePng(4));
    QTRY_COMPARE(ownerPid(), p->processId());
    QTest::qWait(300);
    QCOMPARE(got.size(), size_t(0));
}

void TestX11Backend::answerAfterOwnerChange_data() {
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<bool>("firstLost");
    QTest::newRow("request reaches the next owner") << "handover" << true;
    QTest::newRow("owner moves on before answering") << "movedOn" << true;
    QTest::newRow("next owner comes after the request") << "lateHandover" << false;
    QTest::newRow("same owner and time again") << "sameTime" << false;
}

// Two announcements, each either read as it was offered or reported lost with a reason:
// an answer that may hold the next offer's content is never passed off as the first's, and
// the two are never taken for one.
void TestX11Backend::answerAfterOwnerChange() {
    QFETCH(QString, scenario);
    QFETCH(bool, firstLost);
    x11::X11ClipboardWatch watch;
    std::vector<ClipboardSnapshot> got;
    connect(&watch, &ClipboardWatch::changed, this,
            [&got](const ClipboardSnapshot& s) { got.push_back(s); });
    watch.setActive(true);
    QVERIFY(start(QCoreApplication::applicationFilePath(), {"owner", scenario}));
    QTRY_COMPARE(got.size(), size_t(2));
    QCOMPARE(got[0].lost, firstLost);
    if (firstLost)
        QVERIFY(!got[0].lostReason.isEmpty());
    else
        QCOMPARE(got[0].pictureBytes, QByteArray("first picture"));
    QVERIFY(!got[1].lost);
    QCOMPARE(got[1].pictureBytes, QByteArray("second picture"));
    QVERIFY(!got[1].announcement.sameAs(got[0].announcement));
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "owner") == 0)
        runScriptedOwner(argv[2]);
    // The watch needs Qt's own clipboard on the same server, so the server comes first.
    PrivateXServer server;
    g_haveX = server.start();
    if (g_haveX) {
        qputenv("DISPLAY", server.display());
        qputenv("QT_QPA_PLATFORM", "xcb");
        // Scaled, as on a high-density screen: captures and the pointer stay in device pixels.
        qputenv("QT_SCALE_FACTOR", "2");
    }
    QGuiApplication app(argc, argv);
    TestX11Backend tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_x11backend.moc"
