// Making sure a print has somewhere to go. A machine without any printer queue would otherwise
// print nothing without a word; the user is told so and offered a PDF file instead.
#pragma once

#include <QString>

class Printer;
class Prompts;

// Whether the system knows at least one printer.
bool systemHasPrinters();

// Whether printer writes a file rather than feeding a device: one print job per record would
// overwrite that file, so such printers take all records as pages of one document.
bool printerWritesFile(Printer& printer);

// A file has no unprintable edge: a printer that writes one prints on the whole sheet, device
// pixel (0, 0) at the paper's corner, as velmora-print's PDF does; a device keeps its printable
// area. Called before every page is made, since the print dialog may switch between the two.
void fitPageToOutput(Printer& printer);

// True when printer can print: it is no system printer, it already writes a file, the system
// has printers, or the user chose a PDF file when told that there is none (printer then writes
// that file). hasPrinters is systemHasPrinters() outside tests. With askFileAgain (a run that
// shows no print dialog, such as "Print all records"), a machine without printers asks for the
// file even when an earlier print chose one, so that no earlier file is replaced without a word;
// the earlier file is offered.
bool makePrinterReady(Printer& printer, Prompts& prompts, bool hasPrinters, bool askFileAgain = false);

// "The form was printed into the file ..." for a printer that writes a file; empty otherwise.
QString printedIntoFileText(Printer& printer);
inline const char* const kNoPrinterMessage =
    "No printer is installed on this computer. Do you want to print to a PDF file instead?";
