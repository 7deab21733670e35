// Progress of a print run on stderr: on a terminal one line redrawn in place (a bar, pages done
// and pages per second), elsewhere (a log file, a job runner) a plain line every tenth of the job,
// so logs stay short; a summary at the end either way.
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

class ProgressReport {
public:
    ProgressReport(std::FILE* out, bool terminal, int totalPages);

    void pagesDone(int done);
    // The last line: records, pages, time and where the output went.
    void finish(int records, int pages, const QString& output);

    // Pages per second, with a floor on the time so the first page does not read as infinite.
    static double rate(int pages, qint64 milliseconds);

private:
    void drawBar(int done);

    std::FILE* out_;
    bool terminal_;
    int total_;
    int lastTenth_ = 0;
    qint64 lastDraw_ = -1;
    bool barShown_ = false;
    QElapsedTimer clock_;
};
