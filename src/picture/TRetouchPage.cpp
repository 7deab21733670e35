#include "picture/TRetouchPage.h"

#include "picture/FormHost.h"

TRetouchPage::TRetouchPage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host) {}
