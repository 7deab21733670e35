#include "picture/TRetouchPage.h"

#include "picture/FormHost.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

TRetouchPage::TRetouchPage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host)
{
    DateiButton = new QToolButton(this);
    DateiButton->setObjectName("DateiButton");
    DateiButton->setText("File");
    DateiButton->setToolTip("File menu");
    DateiButton->setAutoRaise(true);
    connect(DateiButton, &QToolButton::clicked, this, &TRetouchPage::DateiButtonClick);

    DateiPopup = new QMenu(this);
    DateiPopup->setObjectName("DateiPopup");
    DateiPopup->setToolTipsVisible(true);
    Speichernunter1 = DateiPopup->addAction("Save as...");
    Speichernunter1->setObjectName("Speichernunter1");
    Speichernunter1->setToolTip("Save picture");
    Speichernunter1->setStatusTip("Save picture");
    connect(Speichernunter1, &QAction::triggered, this, [this] {
        if (savePicture_)
            savePicture_();
    });

    auto* menuBar = new QHBoxLayout;
    menuBar->addWidget(DateiButton);
    menuBar->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(menuBar);
    layout->addStretch(1);
}

void TRetouchPage::setSavePictureAction(std::function<void()> action) { savePicture_ = std::move(action); }

void TRetouchPage::repaintView() { update(); }

QPoint TRetouchPage::fileMenuPosition() const { return DateiButton->mapToGlobal(QPoint(0, DateiButton->height())); }

void TRetouchPage::DateiButtonClick() { DateiPopup->popup(fileMenuPosition()); }
