#pragma once
// The little the commands need of the window above them: a parent for their dialogs, the
// minimising that starts capture wait, and the work-folder list.
#include <QString>

class QWidget;

class WindowHost {
public:
    virtual ~WindowHost() = default;
    virtual QWidget* dialogParent() = 0;
    virtual void minimise() = 0;
    // The name selected in the work-folder list; empty for none.
    virtual QString selectedFileName() const = 0;
    // Reads the list again and marks the current file in it.
    virtual void rereadFileList() = 0;
};
