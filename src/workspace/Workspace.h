#pragma once
// What the window shows and every command on it, composed once: the picture session and the
// command sets, each registering its operations with the operation table. The window above
// composes one; tests compose one with a null desktop and no window.
#include "workspace/PictureEditCommands.h"
#include "workspace/PictureFileCommands.h"
#include "workspace/PictureSession.h"
#include "workspace/ToolCommands.h"
#include "workspace/WorkFolderCommands.h"

struct Workspace {
    Workspace(platform::Desktop& desktop, MessageSink& messages, WindowHost& host,
              OperationRegistry& operations, const QString& userDataFolder)
        : files(session, messages, operations, userDataFolder),
          edits(session, files, messages, host, operations),
          folder(session, files, messages, host, operations, desktop, userDataFolder),
          tools(session, messages, host, operations, folder.folder().path()) {}

    PictureSession session;
    PictureFileCommands files;
    PictureEditCommands edits;
    WorkFolderCommands folder;
    ToolCommands tools;
};
