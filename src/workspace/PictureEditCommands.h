#pragma once
// The commands on the picture shown: the edits of the edit popup (each one step of the
// history), the colour depths, undo and redo, the range and the registered sizes, zoom,
// erasing, and the picture to and from the clipboard.
#include "commands/Operations.h"
#include "imaging/PictureDocument.h"

#include <QObject>
#include <QStringList>

#include <functional>

class MessageSink;
class PictureFileCommands;
class PictureSession;
class WindowHost;

class PictureEditCommands : public QObject {
    Q_OBJECT
public:
    PictureEditCommands(PictureSession& session, PictureFileCommands& files, MessageSink& messages,
                        WindowHost& host, OperationRegistry& operations);

    // The edit an operation makes; none for an operation that is not an edit.
    static imaging::PictureDocument::Change editOf(Operation op);

    void edit(Operation op);
    // Converts to a depth code of the colour-depth menu.
    void changeDepth(int depthCode);
    void registerRange();
    // The registered size of the range menu's item index becomes the range, at 96 dpi.
    void selectRegisteredRange(int index);
    void copyPicture(bool minimise);
    void pastePicture();
    void erase();

    // The registered sizes as the settings keep them; setting one keeps its valid entries.
    const QString& rangeList() const { return m_rangeList; }
    void setRangeList(const QString& list);

    // A shape drawn with the drawing toolbar, as the range of the one command that asks for
    // it when no range is set (the window's toolbar gives it); and the end of drawing.
    std::function<imaging::Range()> takeShape;
    std::function<void()> endDrawing;

signals:
    // The captions of the range menu's registered-size items.
    void rangeItemsChanged(const QStringList& captions);

private:
    imaging::Range shapeRange() const { return takeShape ? takeShape() : imaging::Range{}; }

    PictureSession& m_session;
    PictureFileCommands& m_files;
    MessageSink& m_messages;
    WindowHost& m_host;
    QString m_rangeList;
};
