#include "platform/ProgramData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace {

struct LayoutCase {
    const char* name;
    std::vector<const char*> files;  // relative to a prefix whose program folder is bin/
    const char* wanted;
    const char* found;  // relative to the prefix; empty: not found
};

void touch(const QString& file)
{
    QDir().mkpath(QFileInfo(file).path());
    QFile(file).open(QIODevice::WriteOnly);
}

}  // namespace

TEST(ProgramData, ShippedFilesAreFoundInstalledFirstThenBesideTheProgram)
{
    const LayoutCase cases[] = {
        {"nothing shipped", {}, "manual/index.html", ""},
        {"build tree", {"bin/manual/index.html"}, "manual/index.html", "bin/manual/index.html"},
        {"installed", {"share/velmora/manual/index.html"}, "manual/index.html", "share/velmora/manual/index.html"},
        {"installed over the old layout", {"bin/manual/index.html", "share/velmora/manual/index.html"},
         "manual/index.html", "share/velmora/manual/index.html"},
        {"installed sample", {"share/velmora/examples/sample.frm"}, "examples/sample.frm",
         "share/velmora/examples/sample.frm"},
        {"a folder is no file", {"share/velmora/manual/index.html/x"}, "manual/index.html", ""},
        {"another program's data", {"share/other/manual/index.html"}, "manual/index.html", ""},
    };
    for (const LayoutCase& c : cases) {
        QTemporaryDir prefix;
        const QString root = prefix.path() + u'/';
        QDir().mkpath(root + "bin");
        for (const char* file : c.files)
            touch(root + file);
        const QString expected = *c.found ? root + c.found : QString();
        EXPECT_EQ(programDataFile(root + "bin/", c.wanted), expected) << c.name;
    }
}

TEST(ProgramData, AProgramWithoutAFolderHasNoShippedFiles)
{
    EXPECT_TRUE(programDataDirs({}).isEmpty());
    EXPECT_EQ(programDataFile({}, "manual/index.html"), "");
}
