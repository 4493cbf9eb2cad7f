// The picture session and its command sets on the null desktop, with no window: operations
// reach their commands by type, and what is shown follows from the session alone.
#include "platform/null/NullDesktop.h"
#include "testsupport.h"
#include "workspace/WindowHost.h"
#include "workspace/Workspace.h"

#include <QAction>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Host : WindowHost {
    int minimised = 0, rereads = 0;
    QWidget* dialogParent() override { return nullptr; }
    void minimise() override { ++minimised; }
    QString selectedFileName() const override { return {}; }
    void rereadFileList() override { ++rereads; }
};

struct Fixture {
    QTemporaryDir data;
    platform::NullDesktop desktop;
    RecordingMessages messages;
    Host host;
    OperationRegistry ops;
    Workspace ws{desktop, messages, host, ops, data.path() + "/"};
    void show(int w, int h) {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(qRgb(9, 8, 7));
        imaging::ImageModel m;
        m.setImage(img);
        ws.session.showPicture(m, QString());
    }
};
} // namespace

class TestWorkspace : public QObject {
    Q_OBJECT
private slots:
    void operationsReachTheirCommands() {
        Fixture f;
        QSignalSpy depth(&f.ws.session, &PictureSession::depthChanged);
        f.show(6, 4);
        f.ws.session.document().setRange({1, 1, 3, 2});
        f.ops.action(Operation::RotateRight90)->trigger();
        QCOMPARE(f.ws.session.picture().image().size(), QSize(4, 6));
        QCOMPARE(f.ws.session.viewState(), ViewState::Changed);
        f.ws.edits.changeDepth(80);
        QCOMPARE(depth.last().at(0).toInt(), 80);
        QCOMPARE(f.ws.session.document().history().undoText(), QStringLiteral("ｸﾞﾚｰ(8bit)"));
        f.ops.action(Operation::Undo)->trigger();
        f.ops.action(Operation::Undo)->trigger();
        QCOMPARE(f.ws.session.viewState(), ViewState::Stored);
        f.ops.action(Operation::CopyImage)->trigger();
        f.ops.action(Operation::CopyAndMinimize)->trigger(); // the window's: nothing here
        QCOMPARE(f.host.minimised, 0);
        f.ops.action(Operation::SaveToWorkFolder)->trigger();
        f.ws.folder.finishIntakes();
        QTRY_COMPARE(f.host.rereads, 1);
        QVERIFY(f.ws.session.currentFile().endsWith(QStringLiteral("/Temp/001.bmp")));
    }
};

QTEST_MAIN(TestWorkspace)
#include "tst_workspace.moc"
