#include "platform/LocalFileName.h"

#include <QFile>

std::string localFileName(const QString& name) { return QFile::encodeName(name).toStdString(); }
