#include "print/TFormSizePage.h"

#include "picture/FormHost.h"

TFormSizePage::TFormSizePage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host) {}

void TFormSizePage::FBreitEdinChange() {}
void TFormSizePage::documentChanged() {}
void TFormSizePage::repaintView() {}
void TFormSizePage::loadSettings(QSettings&) {}
void TFormSizePage::saveSettings(QSettings&) const {}
