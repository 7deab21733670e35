// Draws the program icon (the same picture as the window icon) as PNG files for the hicolor icon
// theme, at build time:
//   make_icon OUTPUT_DIR SIZE...    writes OUTPUT_DIR/<size>x<size>/apps/velmora.png
#include "platform/ProgramPictures.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_icon OUTPUT_DIR SIZE...\n");
        return 2;
    }
    // A build machine has no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString outputDir = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int side = std::atoi(argv[i]);
        const QPixmap icon = programPicture(QStringLiteral("velmora"), QSize(side, side));
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(outputDir).arg(side);
        const QString file = folder + QStringLiteral("/velmora.png");
        if (side <= 0 || icon.isNull() || !QDir().mkpath(folder) || !icon.save(file, "PNG")) {
            std::fprintf(stderr, "make_icon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
