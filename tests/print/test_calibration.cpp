#include "print/Calibration.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray encoded(const Calibration& c)
{
    const auto bytes = encodeCalibration(c);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

}  // namespace

TEST(CalibrationFile, IsFourLittleEndianDoubles)
{
    const QByteArray bytes = encoded({1.5, 0, 100, -2});
    ASSERT_EQ(bytes.size(), 32);
    EXPECT_EQ(bytes.mid(0, 8), QByteArray::fromHex("000000000000f83f"));
    EXPECT_EQ(bytes.mid(8, 8), QByteArray::fromHex("0000000000000000"));
    EXPECT_EQ(bytes.mid(16, 8), QByteArray::fromHex("0000000000005940"));
    EXPECT_EQ(bytes.mid(24, 8), QByteArray::fromHex("00000000000000c0"));

    const auto back = decodeCalibration(reinterpret_cast<const uint8_t*>(bytes.constData()), bytes.size());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, (Calibration{1.5, 0, 100, -2}));
    EXPECT_FALSE(decodeCalibration(reinterpret_cast<const uint8_t*>(bytes.constData()), 31).has_value());
}

TEST(CalibrationFile, RoundTripThroughTheProgramFolder)
{
    QTemporaryDir program, user;
    const CalibrationPlaces places{program.path(), user.path() + "/config"};
    const Calibration c{4.2, 3.15, 101.5, 98.75};
    ASSERT_TRUE(writeCalibration(places, c));
    const QString path = program.filePath("options.dat");
    EXPECT_EQ(fileBytes(path).size(), 32);
    EXPECT_EQ(fileBytes(path), encoded(c));
    EXPECT_FALSE(QFile::exists(user.path() + "/config/options.dat"));
    EXPECT_EQ(readCalibration(places), c);
    // Nothing of the temporary file is left beside it.
    EXPECT_EQ(QDir(program.path()).entryList(QDir::Files), QStringList{"options.dat"});
}

TEST(CalibrationFile, StoredValuesAreClampedAndRounded)
{
    QTemporaryDir program, user;
    const CalibrationPlaces places{program.path(), user.path()};
    ASSERT_TRUE(writeFile(program.filePath("options.dat"), encoded({-1, 7.5, 110, 94})));
    EXPECT_EQ(readCalibration(places), (Calibration{0, 6, 105, 95}));

    ASSERT_TRUE(writeFile(program.filePath("options.dat"), encoded({1.234, 2.345678, 100.004, 99.999})));
    EXPECT_EQ(readCalibration(places), (Calibration{1.23, 2.35, 100, 100}));

    ASSERT_TRUE(writeFile(program.filePath("options.dat"), encoded({std::nan(""), 1, 100, 100})));
    EXPECT_EQ(readCalibration(places).LinksEd, 0);
}

TEST(CalibrationFile, MissingOrShortFileGivesTheDefaults)
{
    QTemporaryDir program, user;
    const CalibrationPlaces places{program.path(), user.path()};
    EXPECT_EQ(readCalibration(places), (Calibration{0, 0, 100, 100}));

    ASSERT_TRUE(writeFile(program.filePath("options.dat"), encoded({3, 3, 98, 98}).left(31)));
    EXPECT_EQ(readCalibration(places), (Calibration{0, 0, 100, 100}));

    // Longer files are read from their start.
    ASSERT_TRUE(writeFile(program.filePath("options.dat"), encoded({3, 3, 98, 98}) + "tail"));
    EXPECT_EQ(readCalibration(places), (Calibration{3, 3, 98, 98}));
}

TEST(CalibrationFile, UnwritableProgramFolderFallsBackToTheUserFolder)
{
    QTemporaryDir scratch, user;
    // A folder below a plain file can be written by nobody, not even an administrator.
    ASSERT_TRUE(writeFile(scratch.filePath("plain"), "x"));
    const QString programDir = scratch.filePath("plain") + "/program/";
    const CalibrationPlaces places{programDir, user.filePath("a/b")};
    EXPECT_EQ(calibrationWriteDir(places), places.userDir);

    const Calibration c{1, 2, 103, 97};
    ASSERT_TRUE(writeCalibration(places, c));
    EXPECT_EQ(fileBytes(user.filePath("a/b/options.dat")), encoded(c));
    EXPECT_EQ(readCalibration(places), c);

    // Nowhere to write: reported, nothing created.
    EXPECT_FALSE(writeCalibration({programDir, scratch.filePath("plain") + "/user"}, c));
}

TEST(CalibrationFile, TheFolderThatTakesTheWritesIsReadFirst)
{
    QTemporaryDir program, user;
    ASSERT_TRUE(writeFile(program.filePath("options.dat"), encoded({5, 5, 96, 96})));
    ASSERT_TRUE(writeFile(user.filePath("options.dat"), encoded({1, 1, 101, 101})));
    EXPECT_EQ(readCalibration({program.path(), user.path()}), (Calibration{5, 5, 96, 96}));

    // An installed program's folder holding an old file: what the user saved since must win, and
    // the next save must go where it is read from.
    const CalibrationPlaces installed{program.path(), user.path(),
                                      [&](const QString& dir) { return dir != program.path(); }};
    EXPECT_EQ(calibrationWriteDir(installed), user.path());
    EXPECT_EQ(readCalibration(installed), (Calibration{1, 1, 101, 101}));
    ASSERT_TRUE(writeCalibration(installed, {2, 2, 102, 102}));
    EXPECT_EQ(fileBytes(program.filePath("options.dat")), encoded({5, 5, 96, 96}));
    EXPECT_EQ(readCalibration(installed), (Calibration{2, 2, 102, 102}));

    // Without a per-user file the program folder's file is still found.
    ASSERT_TRUE(QFile::remove(user.filePath("options.dat")));
    EXPECT_EQ(readCalibration(installed), (Calibration{5, 5, 96, 96}));
}

// A writable <prefix>/bin beside <prefix>/share/velmora (an administrator's run of the installed
// program) keeps the calibration per user; a build tree or one-folder copy keeps it beside itself.
TEST(CalibrationFile, AnInstalledProgramFolderIsNeverWritten)
{
    QTemporaryDir prefix, user;
    ASSERT_TRUE(QDir(prefix.path()).mkpath("bin"));
    const QString bin = prefix.filePath("bin") + "/";
    const Calibration c{3, 4, 99, 98};

    ASSERT_TRUE(writeCalibration(programCalibrationPlaces(bin, user.path()), c));
    EXPECT_TRUE(QFile::exists(bin + "options.dat"));
    ASSERT_TRUE(QFile::remove(bin + "options.dat"));

    ASSERT_TRUE(QDir(prefix.path()).mkpath("share/velmora"));
    const CalibrationPlaces installed = programCalibrationPlaces(bin, user.path());
    ASSERT_TRUE(writeCalibration(installed, c));
    EXPECT_FALSE(QFile::exists(bin + "options.dat"));
    EXPECT_EQ(fileBytes(user.filePath("options.dat")), encoded(c));
    EXPECT_EQ(readCalibration(installed), c);
}

TEST(CalibrationPlacement, FactorsAndTheWorkedExample)
{
    EXPECT_DOUBLE_EQ(printerMmPerInch(101.5), 25.78094925);
    EXPECT_DOUBLE_EQ(printerMmPerInch(100), 25.39995);
    const PlacementAxes portrait = placementAxes(printerMmPerInch(101.5), printerMmPerInch(100), 4.2, 1.0, false);
    const double x = paperToDevice(50, portrait.marginX, portrait.scaleX, 600);
    EXPECT_NEAR(x, 1065.9, 0.05);
    EXPECT_EQ(int(x), 1065);
    EXPECT_DOUBLE_EQ(lengthToDevice(25.39995, 25.39995, 300), 300);
    // Defaults: paper coordinates are printable-area coordinates.
    EXPECT_DOUBLE_EQ(paperToDevice(25.39995, 0, 25.39995, 600), 600);
}

TEST(CalibrationPlacement, LandscapeSwapsMarginsAndScales)
{
    const PlacementAxes landscape = placementAxes(25.0, 26.0, 4.2, 1.5, true);
    EXPECT_DOUBLE_EQ(landscape.scaleX, 26.0);
    EXPECT_DOUBLE_EQ(landscape.scaleY, 25.0);
    EXPECT_DOUBLE_EQ(landscape.marginX, 1.5);
    EXPECT_DOUBLE_EQ(landscape.marginY, 4.2);
    // The top margin now shifts the output horizontally.
    EXPECT_DOUBLE_EQ(paperToDevice(1.5, landscape.marginX, landscape.scaleX, 600), 0);
    const PlacementAxes portrait = placementAxes(25.0, 26.0, 4.2, 1.5, false);
    EXPECT_DOUBLE_EQ(portrait.marginX, 4.2);
    EXPECT_DOUBLE_EQ(portrait.scaleY, 26.0);
}
