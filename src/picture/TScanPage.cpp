#include "picture/TScanPage.h"

#include "picture/FormHost.h"

TScanPage::TScanPage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host) {}
