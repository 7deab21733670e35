// Messages to the program's own main window, the way a library or a worker thread reports to
// it: WM_USER carries a progress percentage, WM_USER+1 tells that a scanned picture is ready.
#pragma once

#include <QEvent>
#include <cstdint>

class QObject;

constexpr QEvent::Type kWmUserEvent = QEvent::Type(QEvent::User + 0x400);
constexpr QEvent::Type kWmUser1Event = QEvent::Type(QEvent::User + 0x401);

class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(QEvent::Type type, intptr_t wParam, intptr_t lParam) : QEvent(type), wParam(wParam), lParam(lParam) {}
    intptr_t wParam;
    intptr_t lParam;
};

// Queues the message; safe from any thread. It is handled in order with the window's other
// events.
void postWindowMessage(QObject* window, QEvent::Type type, intptr_t wParam, intptr_t lParam = 0);
// Handles the message before returning; only from the window's own thread.
void sendWindowMessage(QObject* window, QEvent::Type type, intptr_t wParam, intptr_t lParam = 0);
