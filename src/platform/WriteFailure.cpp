#include "platform/WriteFailure.h"

#include "imgrove/FileReplacement.h"

#include <QDir>

QString writeFailureText(const QString& fileName, std::error_code error)
{
    return QStringLiteral("The file \"%1\" could not be written: %2.")
        .arg(QDir::toNativeSeparators(fileName), QString::fromStdString(writeFailureReason(error)));
}
