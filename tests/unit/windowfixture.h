#pragma once
// A main window over a scratch user data folder, a headless desktop and recorded messages.
#include "mainwindow/fmMain.h"
#include "platform/null/NullDesktop.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>

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
};
