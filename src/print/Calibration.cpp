#include "print/Calibration.h"

#include "document/FormDocument.h"
#include "imgrove/FileReplacement.h"
#include "platform/LocalFileName.h"
#include "platform/ProgramData.h"
#include "print/FormSize.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <bit>

QString calibrationFilePath(const QString& dir) { return QDir(dir).filePath(QString::fromLatin1(kCalibrationFileName)); }

namespace {

void putDouble(uint8_t* out, double value)
{
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    for (int i = 0; i < 8; ++i)
        out[i] = uint8_t(bits >> (8 * i));
}

double getDouble(const uint8_t* in)
{
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= uint64_t(in[i]) << (8 * i);
    return std::bit_cast<double>(bits);
}

std::optional<Calibration> readFile(const QString& dir)
{
    if (dir.isEmpty())
        return std::nullopt;
    QFile file(calibrationFilePath(dir));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(kCalibrationFileSize);
    return decodeCalibration(reinterpret_cast<const uint8_t*>(bytes.constData()), bytes.size());
}

bool writableFolder(const QString& dir)
{
    if (dir.isEmpty())
        return false;
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable();
}

}  // namespace

Calibration normalisedCalibration(const Calibration& c)
{
    return {boxValue(c.LinksEd, kMarginRange.minimum, kMarginRange.maximum),
            boxValue(c.ObenEd, kMarginRange.minimum, kMarginRange.maximum),
            boxValue(c.BreitEd, kRectangleRange.minimum, kRectangleRange.maximum),
            boxValue(c.HochEd, kRectangleRange.minimum, kRectangleRange.maximum)};
}

std::array<uint8_t, kCalibrationFileSize> encodeCalibration(const Calibration& c)
{
    std::array<uint8_t, kCalibrationFileSize> bytes{};
    putDouble(bytes.data(), c.LinksEd);
    putDouble(bytes.data() + 8, c.ObenEd);
    putDouble(bytes.data() + 16, c.BreitEd);
    putDouble(bytes.data() + 24, c.HochEd);
    return bytes;
}

std::optional<Calibration> decodeCalibration(const uint8_t* bytes, int64_t size)
{
    if (bytes == nullptr || size < kCalibrationFileSize)
        return std::nullopt;
    return Calibration{getDouble(bytes), getDouble(bytes + 8), getDouble(bytes + 16), getDouble(bytes + 24)};
}

CalibrationPlaces programCalibrationPlaces(const QString& programDir, const QString& userDir)
{
    CalibrationPlaces places;
    const QStringList dataDirs = programDataDirs(programDir);
    const bool installedPrefix = dataDirs.size() > 1 && QFileInfo(dataDirs.front()).isDir();
    if (!installedPrefix)
        places.programDir = programDir;
    places.userDir = userDir;
    return places;
}

QString calibrationWriteDir(const CalibrationPlaces& places)
{
    const bool programDirWritable = places.folderWritable
                                        ? !places.programDir.isEmpty() && places.folderWritable(places.programDir)
                                        : writableFolder(places.programDir);
    return programDirWritable ? places.programDir : places.userDir;
}

Calibration readCalibration(const CalibrationPlaces& places)
{
    // The folder that takes the writes is read first, so that a calibration saved per user is not
    // hidden by an old file in a read-only program folder.
    const QString first = calibrationWriteDir(places);
    const QString second = first == places.programDir ? places.userDir : places.programDir;
    for (const QString& dir : {first, second}) {
        if (const std::optional<Calibration> stored = readFile(dir))
            return normalisedCalibration(*stored);
    }
    return Calibration{};
}

WriteResult writeCalibration(const CalibrationPlaces& places, const Calibration& calibration)
{
    const QString dir = calibrationWriteDir(places);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return {};
    FileReplacement file(localFileName(calibrationFilePath(dir)));
    const auto bytes = encodeCalibration(calibration);
    file.write(bytes.data(), bytes.size());
    if (file.file())
        file.commit();
    return file.result();
}

double printerMmPerInch(double printedSizeMm) { return printedSizeMm * MmPerInch / 100; }

PlacementAxes placementAxes(double PrinterMmPerInchX, double PrinterMmPerInchY, double LinksEd, double ObenEd,
                            bool landscape)
{
    if (landscape)
        return {PrinterMmPerInchY, PrinterMmPerInchX, ObenEd, LinksEd};
    return {PrinterMmPerInchX, PrinterMmPerInchY, LinksEd, ObenEd};
}

double paperToDevice(double mm, double margin, double scale, int pixelsPerInch)
{
    return (mm - margin) / scale * pixelsPerInch;
}

double lengthToDevice(double mm, double scale, int pixelsPerInch) { return mm / scale * pixelsPerInch; }
