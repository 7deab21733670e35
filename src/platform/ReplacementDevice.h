// A device over FileReplacement, for writers that take a QIODevice (the picture encoders): the
// target is replaced only by a complete file. The first write error is kept for commit() and the
// writer is not told: libpng would print its own "Write Error" where the caller has a sentence.
#pragma once

#include "imgrove/FileReplacement.h"

#include <QIODevice>
#include <QString>

class ReplacementDevice : public QIODevice {
public:
    // Makes the temporary file beside target; isOpen() is false when it cannot be made.
    explicit ReplacementDevice(const QString& target);
    // Writes the last bytes and puts the file in the target's place; false when any write, the
    // flush, the close or the rename failed, the target then untouched.
    bool commit();
    WriteResult result() const { return replacement_.result(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    FileReplacement replacement_;
};
