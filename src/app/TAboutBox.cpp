#include "app/TAboutBox.h"

#include "platform/ProgramPictures.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

QString withYear(QString text, int year)
{
    return text.replace(QStringLiteral("XXXX"), QStringLiteral("%1").arg(year, 4, 10, QChar(u'0')));
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);

    auto* picture = new QLabel;
    picture->setPixmap(programPicture(QStringLiteral("velmora"), QSize(64, 64)));
    picture->setAlignment(Qt::AlignTop);

    auto* product = new QLabel(QStringLiteral("Velmora-Quillery 4.5"));
    QFont productFont = product->font();
    productFont.setBold(true);
    productFont.setPixelSize(18);
    product->setFont(productFont);

    auto* description = new QLabel(QStringLiteral(
        "Fills in pre-printed paper forms with your printer: scan or open a picture of the form, "
        "set the size of the sheet, place named text fields on the picture, type the texts and "
        "print them exactly into the fields of the real form."));
    description->setWordWrap(true);
    // The wrapped text takes the width of the widest unwrapped line, never less than a
    // readable column, so no line of the box is ever cut.
    description->setMinimumWidth(280);

    Copyright = new QLabel(withYear(QStringLiteral("© XXXX The Velmora authors. All rights reserved."),
                                    QDate::currentDate().year()));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(description);
    texts->addWidget(Copyright);
    texts->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TAboutBox::copyrightText() const { return Copyright->text(); }
