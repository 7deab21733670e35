#include "print/FormReadReason.h"

QString formReadFailure(FormReadStatus status, const QString& file)
{
    switch (status) {
    case FormReadStatus::Ok:
        break;
    case FormReadStatus::CannotOpen:
        return QStringLiteral("cannot open the form file \"%1\"").arg(file);
    case FormReadStatus::WrongMagic:
        return QStringLiteral("\"%1\" is no form file").arg(file);
    case FormReadStatus::Malformed:
        return QStringLiteral("the form file \"%1\" is damaged: it ends early or holds impossible sizes").arg(file);
    case FormReadStatus::NoPicture:
        return QStringLiteral("the picture of \"%1\" is too large to hold in memory").arg(file);
    }
    return {};
}
