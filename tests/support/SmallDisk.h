// A folder with only so many bytes free, for tests of what a full disk does to a write: a file
// system of its own where the test may mount one (tmpfs, as root), otherwise a plain folder and
// FileSizeLimit, which stops every file, this process's and its children's, at that size.
#pragma once

#include "support/FileSizeLimit.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

class SmallDisk {
public:
    // A file system of size bytes (a whole number of 4 kB pages) where mounting one is allowed.
    explicit SmallDisk(size_t size = 1024 * 1024)
    {
        const QByteArray options = "size=" + QByteArray::number(qulonglong(size)) + ",mode=0777";
        mounted_ = geteuid() == 0 &&
                   ::mount("tmpfs", QFile::encodeName(root_.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        limit_.reset();
        if (mounted_)
            ::umount2(QFile::encodeName(root_.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool ownFileSystem() const { return mounted_; }
    QString folder() const { return root_.path(); }
    QString path(const QString& name) const { return QDir(root_.path()).filePath(name); }
    // The words a write that does not fit ends with here.
    const char* reason() const { return mounted_ ? "the disk is full" : "the file is too large for the disk"; }

    // From now on a file grows by no more than free bytes: the file system is filled up to them
    // (the files already there stay), or no file may grow beyond them.
    void leaveFree(size_t free)
    {
        if (!mounted_) {
            limit_ = std::make_unique<FileSizeLimit>(free);
            return;
        }
        struct statvfs room {};
        if (::statvfs(QFile::encodeName(root_.path()).constData(), &room) != 0)
            return;
        const size_t available = size_t(room.f_bavail) * room.f_frsize;
        QFile filler(path(QStringLiteral("filler")));
        if (available > free && filler.open(QIODevice::WriteOnly | QIODevice::Append))
            filler.write(QByteArray(qsizetype(available - free), 'f'));
    }
    // All the room there was before leaveFree.
    void makeRoom()
    {
        limit_.reset();
        QFile::remove(path(QStringLiteral("filler")));
    }

private:
    QTemporaryDir root_;
    bool mounted_ = false;
    std::unique_ptr<FileSizeLimit> limit_;
};
