#include "print/TPrintPage.h"

#include "picture/FormHost.h"

TPrintPage::TPrintPage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host) {}

void TPrintPage::derivePrinterFactors() {}
