// Why a form file did not open, in words for the command-line tools' error line.
#pragma once

#include "document/FormFile.h"

#include <QString>

// Empty for Ok.
QString formReadFailure(FormReadStatus status, const QString& file);
