// The wait cursor over the whole program for as long as the object lives: for work of a moment
// that runs on the user-interface thread (reading a large picture, asking the system for its
// scanners).
#pragma once

#include <QCursor>
#include <QGuiApplication>

class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
