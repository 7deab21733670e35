#include "editor/TFieldsPage.h"

#include "picture/FormHost.h"

TFieldsPage::TFieldsPage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host) {}

void TFieldsPage::repaintView() { update(); }
