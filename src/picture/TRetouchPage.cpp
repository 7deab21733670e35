#include "picture/TRetouchPage.h"

#include "picture/FormHost.h"

TRetouchPage::TRetouchPage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host) {}

void TRetouchPage::setSavePictureAction(std::function<void()> action) { savePicture_ = std::move(action); }
void TRetouchPage::repaintView() {}
