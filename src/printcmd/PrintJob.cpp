#include "printcmd/PrintJob.h"

#include "document/FormFile.h"
#include "document/RecordCsv.h"
#include "platform/CodePage.h"
#include "platform/LocalFileName.h"
#include "platform/Printer.h"
#include "platform/WriteFailure.h"
#include "print/FormReadReason.h"
#include "print/FormSize.h"
#include "print/FormSizePrompts.h"
#include "print/PdfOverlay.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QThread>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

namespace {

// The "Print" tab's shift boxes hold inches with two decimals; the shift printed is what they show.
constexpr double kShiftLimitInch = 1e6;


double shiftMm(std::optional<double> inches, double formShiftMm)
{
    return boxValue(inches.value_or(formShiftMm / MmPerInch), -kShiftLimitInch, kShiftLimitInch) * MmPerInch;
}

QPageSize paperOf(const PrintOptions& options)
{
    return options.paper.value_or(QPageSize(QPageSize::A4));
}

PageOrientation orientationOf(const PrintOptions& options)
{
    return options.landscape ? PageOrientation::Landscape : PageOrientation::Portrait;
}

// A failed rename leaves the temporary file for the caller to remove.
std::error_code replaceFile(const QString& temporary, const QString& target)
{
    std::error_code error;
    std::filesystem::rename(localFileName(temporary), localFileName(target), error);
    return error;
}

// Called before each page: counts the one before it as done. The caller reports the last.
std::function<void(int)> countPagesBefore(const PagesDone& pagesDone)
{
    return [&pagesDone, done = 0](int) mutable {
        if (pagesDone && done > 0)
            pagesDone(done);
        ++done;
    };
}

}  // namespace

QString formSizeReason(const FormDocument& document)
{
    const FormSizeCheck check = ::checkFormSize(orderFormSize(document), documentPictureWidth(document),
                                                documentPictureHeight(document));
    const QString prefix = QStringLiteral("the form size is not valid: ");
    switch (check.verdict) {
    case FormSizeVerdict::Ok:
        return {};
    case FormSizeVerdict::Invalid:
        return prefix + QStringLiteral("its two points, or their distances from the paper's edges, coincide in "
                                       "one direction (set the form size on \"Set form size\")");
    case FormSizeVerdict::PoorMatch:
        return prefix + QStringLiteral("its horizontal and vertical scales match only to %1 percent, 90 needed "
                                       "(set it again, or give --accept-form-size)")
                            .arg(check.match);
    case FormSizeVerdict::TooCloseX:
        return prefix + QStringLiteral("its two points lie no more than half the picture's width apart "
                                       "(set it again, or give --accept-form-size)");
    case FormSizeVerdict::TooCloseY:
        return prefix + QStringLiteral("its two points lie no more than half the picture's height apart "
                                       "(set it again, or give --accept-form-size)");
    }
    return {};
}

PrintJob::PrintJob(PrintOptions options) : options_(std::move(options)) {}

bool PrintJob::prepare(const CalibrationPlaces& places, QString* error)
{
    if (!readForm(error) || !readCsv(error) || !checkFormSize(error))
        return false;
    if (options_.names && options_.records.empty()) {
        pages_ = {1};
    } else {
        if (!options_.names && document_.records.empty()) {
            *error = QStringLiteral("the form has no records to print");
            return false;
        }
        const auto records = resolveRecords(options_.records, document_.recordCount(), error);
        if (!records)
            return false;
        pages_ = *records;
    }
    if (options_.calibrationFile.isEmpty())
        calibration_ = readCalibration(places);
    else if (!readCalibrationFile(error))
        return false;
    dateText_ = todaysDateText();
    return openOriginal(error);
}

bool PrintJob::readForm(QString* error)
{
    const FormReadStatus status = readFormFile(localFileName(options_.formFile), document_);
    *error = formReadFailure(status, options_.formFile);
    // Checked and printed as the window holds the form size, not as the file stores it.
    holdPaperPositions(document_);
    return status == FormReadStatus::Ok;
}

bool PrintJob::readCsv(QString* error)
{
    if (options_.csvFile.isEmpty())
        return true;
    if (document_.records.empty()) {
        *error = QStringLiteral("the form has no record to take the CSV values in: take the fields over on "
                                "\"Fill out the form\" first");
        return false;
    }
    const size_t own = document_.records.size();
    const CsvImportResult result = importCsvFile(document_, localFileName(options_.csvFile), utf8ToAnsi);
    if (result.status == CsvImportStatus::Empty || result.status == CsvImportStatus::NotText) {
        *error = QStringLiteral("the CSV file \"%1\" %2")
                     .arg(options_.csvFile, result.status == CsvImportStatus::Empty ? QStringLiteral("is empty")
                                                                                    : QStringLiteral("is not text"));
        return false;
    }
    if (result.status != CsvImportStatus::Ok) {
        *error = QStringLiteral("cannot open the CSV file \"%1\"").arg(options_.csvFile);
        return false;
    }
    if (result.recordsAdded == 0) {
        *error = QStringLiteral("the CSV file \"%1\" holds no records").arg(options_.csvFile);
        return false;
    }
    // The imported records were made from record 1; the form's own ones are not printed.
    document_.records.erase(document_.records.begin(), document_.records.begin() + ptrdiff_t(own));
    return true;
}

bool PrintJob::checkFormSize(QString* error) const
{
    const FormSizeCheck check = ::checkFormSize(orderFormSize(document_), documentPictureWidth(document_),
                                                documentPictureHeight(document_));
    if (check.verdict == FormSizeVerdict::Ok || (options_.acceptFormSize && check.verdict != FormSizeVerdict::Invalid))
        return true;
    *error = formSizeReason(document_);
    return false;
}

bool PrintJob::readCalibrationFile(QString* error)
{
    QFile file(options_.calibrationFile);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open the calibration file \"%1\"").arg(options_.calibrationFile);
        return false;
    }
    // An options.dat is exactly four doubles; a longer file is something else that happens to
    // begin with 32 bytes.
    const QByteArray bytes = file.read(kCalibrationFileSize + 1);
    const std::optional<Calibration> stored =
        bytes.size() == kCalibrationFileSize
            ? decodeCalibration(reinterpret_cast<const uint8_t*>(bytes.constData()), bytes.size())
            : std::nullopt;
    if (!stored) {
        *error = QStringLiteral("\"%1\" is no calibration file: it does not hold exactly %2 bytes")
                     .arg(options_.calibrationFile)
                     .arg(kCalibrationFileSize);
        return false;
    }
    calibration_ = normalisedCalibration(*stored);
    return true;
}

PageRequest PrintJob::pageRequest() const
{
    PageRequest request;
    request.document = &document_;
    request.what = options_.names ? PrintWhat::FieldNames : PrintWhat::CurrentRecord;
    request.withPicture = options_.withForm;
    request.shiftMm = {shiftMm(options_.shiftXInch, document_.PrintShiftMm.x),
                    shiftMm(options_.shiftYInch, document_.PrintShiftMm.y)};
    request.LinksEd = calibration_.LinksEd;
    request.ObenEd = calibration_.ObenEd;
    request.PrinterMmPerInchX = printerMmPerInch(calibration_.BreitEd);
    request.PrinterMmPerInchY = printerMmPerInch(calibration_.HochEd);
    request.landscape = options_.landscape;
    request.dateText = dateText_;
    return request;
}

QString PrintJob::pngFileName(int record) const
{
    const int digits = int(QString::number(std::max(1, document_.recordCount())).size());
    return QDir(options_.target).filePath(QStringLiteral("record-%1.png").arg(record, digits, 10, QLatin1Char('0')));
}

bool PrintJob::run(const PagesDone& pagesDone, QString* error)
{
    switch (options_.output) {
    case OutputKind::Pdf:
        return printPdf(pagesDone, error);
    case OutputKind::Png:
        return printPng(pagesDone, error);
    case OutputKind::Printer:
        return printOnPrinter(pagesDone, error);
    }
    return false;
}

bool PrintJob::openOriginal(QString* error)
{
    if (!options_.ontoFile.isEmpty()) {
        QFile file(options_.ontoFile);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot open the PDF file \"%1\"").arg(options_.ontoFile);
            return false;
        }
        original_ = OriginalPdfPage::open(file.readAll(), options_.ontoPage.value_or(1),
                                          QFileInfo(options_.ontoFile).fileName(), error);
    } else if (options_.withForm && options_.output == OutputKind::Pdf && document_.originalPdf) {
        original_ = OriginalPdfPage::fromForm(*document_.originalPdf, error);
    } else {
        return true;
    }
    return original_ != nullptr;
}

bool PrintJob::printPdfOnto(const PagesDone& pagesDone, QString* error)
{
    const std::function<void(int)> beforePage = countPagesBefore(pagesDone);
    if (!printPdfOntoOriginal(pageRequest(), pages_, *original_, options_.target, {}, beforePage, error))
        return false;
    if (pagesDone)
        pagesDone(int(pages_.size()));
    return true;
}

bool PrintJob::printPdf(const PagesDone& pagesDone, QString* error)
{
    if (original_)
        return printPdfOnto(pagesDone, error);
    if (QFileInfo(options_.target).isDir()) {
        *error = QStringLiteral("cannot write \"%1\"").arg(options_.target);
        return false;
    }
    // The printer writes the pages beside the target, which the file replaces when complete.
    SystemPrinter printer;
    QPrinter& pdf = *printer.qprinter();
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(QFileInfo(options_.target).absoluteFilePath());
    pdf.setPageSize(paperOf(options_));
    // A PDF page has no unprintable edge: device pixel (0, 0) is the paper's corner.
    pdf.setFullPage(true);
    printer.setOrientation(orientationOf(options_));

    const std::function<void(int)> beforePage = countPagesBefore(pagesDone);
    if (!printPages(printer, pageRequest(), pages_, {}, beforePage)) {
        *error = printer.writeError() ? writeFailureText(options_.target, printer.writeError())
                                      : QStringLiteral("cannot write \"%1\"").arg(options_.target);
        return false;
    }
    if (pagesDone)
        pagesDone(int(pages_.size()));
    return true;
}

namespace {

// One thread's share of the PNG pages: one print job on a raster printer of its own, each page
// renamed to its record's file as soon as the printer has written it.
struct PngSlice {
    std::vector<int> records;
    bool ok = true;
    size_t renamed = 0;
    // Why the page of records[renamed] could not be written or renamed, when it is known.
    std::error_code error;
};

}  // namespace

bool PrintJob::printPng(const PagesDone& pagesDone, QString* error)
{
    if (!QDir().mkpath(options_.target)) {
        *error = QStringLiteral("cannot create the folder \"%1\"").arg(options_.target);
        return false;
    }
    // A record listed twice would be drawn twice into one file, perhaps by two threads at once.
    std::vector<int> records;
    std::set<int> seen;
    for (int record : pages_)
        if (seen.insert(record).second)
            records.push_back(record);

    if (records.empty())
        return true;
    const int cores = options_.threads > 0 ? options_.threads : std::max(1, QThread::idealThreadCount());
    const size_t threadCount = std::min(size_t(cores), records.size());
    std::vector<PngSlice> slices(threadCount);
    // Every thread takes every n-th record, so that slow pages spread evenly.
    for (size_t i = 0; i < records.size(); ++i)
        slices[i % threadCount].records.push_back(records[i]);

    const PageRequest request = pageRequest();
    std::atomic<int> done{0};
    std::atomic<int> finished{0};
    const auto renameWritten = [&](PngSlice& slice, const RasterPrinter& printer) {
        for (; slice.ok && slice.renamed < size_t(printer.pageFiles().size()); ++slice.renamed) {
            const QString written = printer.pageFiles()[qsizetype(slice.renamed)];
            slice.error = replaceFile(written, pngFileName(slice.records[slice.renamed]));
            if (slice.error) {
                QFile::remove(written);
                slice.ok = false;
                return false;
            }
            ++done;
        }
        return slice.ok;
    };
    // Pages of parallel processes share the folder; the process id keeps their unfinished files apart.
    const QString baseName = QStringLiteral(".velmora-print-%1").arg(QCoreApplication::applicationPid());
    std::vector<std::thread> threads;
    for (size_t t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            PngSlice& slice = slices[t];
            RasterPrinter printer(options_.target, QStringLiteral("%1-%2").arg(baseName).arg(t), options_.dpiX,
                                  options_.dpiY, paperOf(options_), orientationOf(options_));
            const bool printed =
                printPages(printer, request, slice.records, {}, [&](int) { renameWritten(slice, printer); });
            if (renameWritten(slice, printer) && !printed) {
                slice.ok = false;
                slice.error = printer.writeError();
            }
            // Pages made after a failed rename are not the user's.
            for (qsizetype page = qsizetype(slice.renamed); page < printer.pageFiles().size(); ++page)
                QFile::remove(printer.pageFiles()[page]);
            ++finished;
        });
    }
    // The threads only count; this thread reports, so the caller's reporting needs no lock.
    int reported = 0;
    while (finished.load() < int(threadCount)) {
        if (pagesDone && done.load() != reported)
            pagesDone(reported = done.load());
        QThread::msleep(50);
    }
    for (std::thread& thread : threads)
        thread.join();
    if (pagesDone && done.load() != reported)
        pagesDone(done.load());
    const auto failed = std::find_if(slices.begin(), slices.end(), [](const PngSlice& s) {
        return !s.ok || s.renamed != s.records.size();
    });
    if (failed == slices.end())
        return true;
    if (failed->error && failed->renamed < failed->records.size())
        *error = writeFailureText(pngFileName(failed->records[failed->renamed]), failed->error);
    else
        *error = QStringLiteral("cannot write the pages into \"%1\"").arg(options_.target);
    return false;
}

bool PrintJob::printOnPrinter(const PagesDone& pagesDone, QString* error)
{
    if (QPrinterInfo::printerInfo(options_.target).isNull()) {
        *error = QStringLiteral("there is no printer \"%1\"").arg(options_.target);
        return false;
    }
    SystemPrinter printer;
    printer.qprinter()->setPrinterName(options_.target);
    if (options_.paper)
        printer.qprinter()->setPageSize(*options_.paper);
    printer.setOrientation(orientationOf(options_));
    const PageRequest request = pageRequest();
    int done = 0;
    // One job per record, as "Print all records" sends them.
    for (int record : pages_) {
        if (!printPages(printer, request, {record})) {
            *error = QStringLiteral("the printer \"%1\" did not take the job of record %2").arg(options_.target).arg(record);
            return false;
        }
        if (pagesDone)
            pagesDone(++done);
    }
    return true;
}
