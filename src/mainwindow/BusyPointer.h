#pragma once
// The busy pointer around longer operations: shown while any of them runs, over the
// whole program and over the picture. Nested uses keep it until the last one ends.
#include "imaging/PictureDocument.h"

#include <QCursor>
#include <QGuiApplication>

class BusyPointer {
public:
    explicit BusyPointer(imaging::PictureDocument& picture) : m_picture(picture) {}

    void begin() {
        if (m_depth++ == 0) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            m_picture.setMousePointer(14);
        }
    }
    void end() {
        if (m_depth == 0)
            return;
        if (--m_depth == 0) {
            QGuiApplication::restoreOverrideCursor();
            m_picture.setMousePointer(0);
        }
    }
    bool busy() const { return m_depth > 0; }

    // Busy for the length of a scope.
    class Guard {
    public:
        explicit Guard(BusyPointer& p) : m_p(p) { m_p.begin(); }
        ~Guard() { m_p.end(); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        BusyPointer& m_p;
    };

private:
    imaging::PictureDocument& m_picture;
    int m_depth = 0;
};
