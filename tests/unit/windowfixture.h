#pragma once
// A main window over a scratch user data folder, a headless desktop and recorded messages,
// with short ways to its workspace and its widgets.
#include "capture/CaptureSession.h"
#include "commands/PopupMenus.h"
#include "imaging/ImageView.h"
#include "mainwindow/FileList.h"
#include "mainwindow/TopBand.h"
#include "mainwindow/fmMain.h"
#include "platform/null/NullDesktop.h"
#include "testsupport.h"
#include "workspace/Workspace.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct WindowFixture {
    QTemporaryDir data;
    platform::NullDesktop desktop;
    RecordingMessages messages;
    std::unique_ptr<fmMain> w;

    WindowFixture() {
        desktop.caps = {true, true, true};
        QDir().mkpath(data.path() + "/Temp");
        w = std::make_unique<fmMain>(desktop, messages, data.path() + "/");
        w->Form_Load();
    }
    QString temp(const QString& name) const { return data.path() + "/Temp/" + name; }
    QStringList files() const { return QDir(data.path() + "/Temp").entryList(QDir::Files); }

    Workspace& ws() { return w->workspace(); }
    PictureSession& session() { return ws().session; }
    imaging::PictureDocument& picture() { return session().document(); }
    FileList& list() { return *w->findChild<FileList*>(); }
    QPlainTextEdit& textView() { return *w->findChild<QPlainTextEdit*>(QStringLiteral("Rtxt")); }
    imaging::ImageView& view() { return *w->findChild<imaging::ImageView*>(); }
    TopBand& band() { return *w->findChild<TopBand*>(); }
    // Every queued store done and its outcome shown.
    void finishIntakes() { ws().folder.finishIntakes(); }
    // Every edit, load and save asked for done and shown.
    void idle() {
        QTRY_VERIFY(!picture().editing());
        QCoreApplication::processEvents();
    }
    // A picture shown as taken in.
    void show(const QImage& image) {
        imaging::ImageModel m;
        m.setImage(image);
        session().showPicture(m, QString());
    }
    void showFile(const QString& path) {
        ws().files.showFile(path);
        idle();
    }
    void trigger(Operation op) { w->operations().action(op)->trigger(); }
};
