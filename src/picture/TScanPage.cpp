#include "picture/TScanPage.h"

#include "picture/FormHost.h"

TScanPage::TScanPage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host) {}

void TScanPage::OpenPicBtnClick() {}
void TScanPage::SaveBtnClick() {}
void TScanPage::showPictureInfo() {}
void TScanPage::repaintPreview() {}
