// The application a command-line tool runs in. Fonts and painters need a GUI application, but
// never a screen; it takes the window's name, so that the per-user folders (the calibration's)
// are the window's; and of Qt's messages only real trouble reaches stderr, as Qt's notes about
// the environment (no runtime folder, no screen) mean nothing to a script reading it.
#pragma once

#include <QGuiApplication>

#include <memory>

// programName starts every message the tool passes on ("velmora-print: ..."); it must outlive
// the application.
std::unique_ptr<QGuiApplication> startToolApplication(int& argc, char** argv, const char* programName);
