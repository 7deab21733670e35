// The scanner library's calls for the main window. The scan itself runs beside the program:
// the window receives WM_USER with the progress in percent and WM_USER+1 with a number that
// GetScanedDib turns into the picture (platform/WindowMessages.h).
#pragma once

#include "imgrove/Dib.h"

#include <cstdint>
#include <string>

class Prompts;
class QWidget;

// Lets the user choose the scanner that later scans use; the choice is kept in the settings.
// prompts: where messages go; null for the real message boxes.
void TWAIN_SelectScanner(QWidget* window, Prompts* prompts = nullptr);
// Opens the chosen scanner's dialog beside the window; its "Scan" starts the scan.
void TWAIN_ScanImage(QWidget* window, Prompts* prompts = nullptr);
// The picture of the finished scan that WM_USER+1 named, once; the caller owns it from then on
// (deldib). Bits null for a number that names no waiting picture.
Dib GetScanedDib(intptr_t scan);

// Keeps a finished picture until GetScanedDib asks for it; the number names it in WM_USER+1.
intptr_t keepFinishedScan(Dib dib);

// The scanner scans use: the stored choice, else the first SANE lists; empty when there is none.
std::string chosenScanner();
void setChosenScanner(const std::string& name);
