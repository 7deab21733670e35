// Making sure a print has somewhere to go. A machine without any printer queue would otherwise
// print nothing without a word; the user is told so and offered a PDF file instead.
#pragma once

class Printer;
class Prompts;

// Whether the system knows at least one printer.
bool systemHasPrinters();

// Whether printer writes a file rather than feeding a device: one print job per record would
// overwrite that file, so such printers take all records as pages of one document.
bool printerWritesFile(Printer& printer);

// True when printer can print: it is no system printer, it already writes a file, the system
// has printers, or the user chose a PDF file when told that there is none (printer then writes
// that file). hasPrinters is systemHasPrinters() outside tests.
bool makePrinterReady(Printer& printer, Prompts& prompts, bool hasPrinters);
inline const char* const kNoPrinterMessage =
    "No printer is installed on this computer. Do you want to print to a PDF file instead?";
