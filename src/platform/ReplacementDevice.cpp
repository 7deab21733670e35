#include "platform/ReplacementDevice.h"

#include "platform/LocalFileName.h"

ReplacementDevice::ReplacementDevice(const QString& target) : replacement_(localFileName(target))
{
    if (replacement_.file())
        QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool ReplacementDevice::commit()
{
    if (!isOpen())
        return false;
    close();
    return replacement_.commit();
}

qint64 ReplacementDevice::readData(char*, qint64) { return -1; }

qint64 ReplacementDevice::writeData(const char* data, qint64 size)
{
    replacement_.write(data, size_t(size));
    return size;
}
