#include "platform/OkCancelDialog.h"

#include "platform/Controls.h"

#include <QHBoxLayout>
#include <QPushButton>

QHBoxLayout* OkCancelDialog::okCancelRow()
{
    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    OkBtn->setObjectName("OkBtn");
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName("CancelBtn");
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    return buttonRow({OkBtn, CancelBtn});
}
