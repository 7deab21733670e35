#include "printcmd/ProgressReport.h"

#include <algorithm>

namespace {

constexpr int kBarWidth = 30;
// Redrawing the bar more often only costs time a user cannot see.
constexpr qint64 kRedrawMs = 100;

}  // namespace

ProgressReport::ProgressReport(std::FILE* out, bool terminal, int totalPages)
    : out_(out), terminal_(terminal), total_(std::max(1, totalPages))
{
    clock_.start();
}

double ProgressReport::rate(int pages, qint64 milliseconds) { return pages * 1000.0 / double(std::max<qint64>(1, milliseconds)); }

void ProgressReport::pagesDone(int done)
{
    if (terminal_) {
        const qint64 now = clock_.elapsed();
        if (lastDraw_ < 0 || now - lastDraw_ >= kRedrawMs || done == total_) {
            lastDraw_ = now;
            drawBar(done);
        }
        return;
    }
    const int tenth = done * 10 / total_;
    if (tenth <= lastTenth_)
        return;
    lastTenth_ = tenth;
    std::fprintf(out_, "velmora-print: %d of %d pages, %.1f pages/s\n", done, total_, rate(done, clock_.elapsed()));
    std::fflush(out_);
}

void ProgressReport::drawBar(int done)
{
    const int filled = done * kBarWidth / total_;
    const QByteArray bar = QByteArray(filled, '#') + QByteArray(kBarWidth - filled, ' ');
    std::fprintf(out_, "\r[%s] %d/%d pages  %.1f pages/s", bar.constData(), done, total_,
                 rate(done, clock_.elapsed()));
    std::fflush(out_);
    barShown_ = true;
}

void ProgressReport::finish(int records, int pages, const QString& output)
{
    if (barShown_)
        std::fputc('\n', out_);
    const qint64 ms = clock_.elapsed();
    std::fprintf(out_, "velmora-print: %d records, %d pages in %.2f s (%.1f pages/s) -> %s\n", records, pages,
                 double(ms) / 1000, rate(pages, ms), output.toLocal8Bit().constData());
    std::fflush(out_);
}
