// The printer the program prints on: its page, resolution, orientation, job title and jobs.
// Device pixel (0, 0) of the page is the first printable pixel; the page size is the printable
// area in device pixels.
#pragma once

#include "platform/Dc.h"

#include <QPageSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <system_error>

class PdfFileReplacement;
class QPrinter;

enum class PageOrientation { Portrait, Landscape };

class Printer {
public:
    virtual ~Printer() = default;

    // The page's device context. Outside a job it answers capabilities and text widths but
    // draws nothing.
    virtual Dc& dc() = 0;
    virtual int32_t pageWidth() const = 0;
    virtual int32_t pageHeight() const = 0;
    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;
    // The sheet of paper, portrait, in millimetres.
    virtual QSizeF paperSizeMm() const = 0;
    virtual PageOrientation orientation() const = 0;
    virtual void setOrientation(PageOrientation orientation) = 0;
    virtual QString title() const = 0;
    virtual void setTitle(const QString& title) = 0;

    // A job holds at least one page; false when the job cannot start or be finished.
    virtual bool BeginDoc() = 0;
    virtual bool EndDoc() = 0;
    virtual bool NewPage() = 0;
    virtual bool printing() const = 0;

    // The system printer the print dialogs act on; null for printers that have none.
    virtual QPrinter* qprinter() { return nullptr; }

    // Why the last job's file could not be written whole (the disk is full, ...); empty when it
    // was, when it could not be made at all, or when the job failed for another reason.
    std::error_code writeError() const { return writeError_; }

protected:
    std::error_code writeError_;
};

// The system's printer (or a PDF file, when the user chooses so in the print dialog). A PDF file
// is written beside its name and takes the old file's place only when it is complete.
class SystemPrinter : public Printer {
public:
    SystemPrinter();
    ~SystemPrinter() override;
    Dc& dc() override;
    int32_t pageWidth() const override;
    int32_t pageHeight() const override;
    int dpiX() const override;
    int dpiY() const override;
    QSizeF paperSizeMm() const override;
    PageOrientation orientation() const override;
    void setOrientation(PageOrientation orientation) override;
    QString title() const override;
    void setTitle(const QString& title) override;
    bool BeginDoc() override;
    bool EndDoc() override;
    bool NewPage() override;
    bool printing() const override;
    QPrinter* qprinter() override;

private:
    void restoreOutputFile();

    class PageDc;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<PageDc> dc_;
    // While a job writes a file: the file's own name, and the file the job goes into.
    QString outputFile_;
    std::unique_ptr<PdfFileReplacement> output_;
};

// Renders every page into a PNG file "<folder>/<baseName>-<n>.png", n counting pages from 1
// over the printer's life, at any resolution pair, page size and orientation. A page that cannot
// be written whole leaves no file and fails the job.
class RasterPrinter : public Printer {
public:
    RasterPrinter(QString folder, QString baseName, int dpiX, int dpiY,
                  QPageSize pageSize = QPageSize(QPageSize::A4),
                  PageOrientation orientation = PageOrientation::Portrait);
    ~RasterPrinter() override;
    Dc& dc() override;
    int32_t pageWidth() const override;
    int32_t pageHeight() const override;
    int dpiX() const override { return dpiX_; }
    int dpiY() const override { return dpiY_; }
    QSizeF paperSizeMm() const override { return pageSize_.size(QPageSize::Millimeter); }
    PageOrientation orientation() const override { return orientation_; }
    void setOrientation(PageOrientation orientation) override;
    QString title() const override { return title_; }
    void setTitle(const QString& title) override { title_ = title; }
    bool BeginDoc() override;
    bool EndDoc() override;
    bool NewPage() override;
    bool printing() const override;

    // Files written so far, in page order.
    const QStringList& pageFiles() const { return pageFiles_; }

private:
    bool savePage();

    QString folder_;
    QString baseName_;
    int dpiX_;
    int dpiY_;
    QPageSize pageSize_;
    PageOrientation orientation_;
    QString title_;
    std::unique_ptr<Bitmap> page_;
    std::unique_ptr<MemoryDc> dc_;
    QStringList pageFiles_;
    // A page of this job could not be written: the job makes no further file.
    bool pageLost_ = false;
};

// The program-wide current printer; a SystemPrinter unless one was installed.
Printer& currentPrinter();
// Installs printer as the current one and returns the one before (null for the default).
std::unique_ptr<Printer> setCurrentPrinter(std::unique_ptr<Printer> printer);
