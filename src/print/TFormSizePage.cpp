#include "print/TFormSizePage.h"

#include "picture/FormHost.h"

TFormSizePage::TFormSizePage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host) {}
