#include "platform/ProgramPictures.h"

#include "platform/HoverImageButton.h"

#include <QBitmap>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QSvgRenderer>

// The resources live in a static library; naming them here keeps the linker from dropping them.
// Q_INIT_RESOURCE declares a function and so must stand outside any namespace.
static void initPictureResources() { Q_INIT_RESOURCE(pictures); }

namespace {

void initResources()
{
    static const bool done = (initPictureResources(), true);
    (void)done;
}

QMap<int, QCursor>& cursorRegistry()
{
    static QMap<int, QCursor> cursors;
    return cursors;
}

QImage renderSvg(const QString& name, QSize size, bool antialiased)
{
    initResources();
    QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(name));
    if (!renderer.isValid())
        return {};
    if (size.isEmpty())
        size = renderer.defaultSize();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
    renderer.render(&painter);
    return image;
}

}  // namespace

QPixmap programPicture(const QString& name, QSize size)
{
    const QImage image = renderSvg(name, size, true);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

QIcon programIcon(const QString& name)
{
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64}) {
        const QPixmap pixmap = programPicture(name, QSize(side, side));
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    return icon;
}

HoverImageButton* makeHoverImageButton(const QString& normalName, const QString& pressedName, const QString& hint,
                                       QWidget* parent)
{
    return new HoverImageButton(programPicture(normalName), programPicture(pressedName), hint, parent);
}

void registerScreenCursor(int number, const QCursor& cursor) { cursorRegistry().insert(number, cursor); }

QCursor screenCursor(int number) { return cursorRegistry().value(number, QCursor(Qt::ArrowCursor)); }

bool hasScreenCursor(int number) { return cursorRegistry().contains(number); }

QCursor qCursorFor(PointerShape shape)
{
    switch (shape) {
    case PointerShape::Arrow:
        break;
    case PointerShape::Cross:
        return Qt::CrossCursor;
    case PointerShape::SizeNwse:
        return Qt::SizeFDiagCursor;
    case PointerShape::SizeNesw:
        return Qt::SizeBDiagCursor;
    case PointerShape::SizeWe:
        return Qt::SizeHorCursor;
    case PointerShape::SizeNs:
        return Qt::SizeVerCursor;
    case PointerShape::PointingHand:
        return Qt::PointingHandCursor;
    case PointerShape::Grab:
        return screenCursor(kCursorDragHand);
    case PointerShape::Magnifier:
        return screenCursor(kCursorMagnifier);
    }
    return Qt::ArrowCursor;
}

QCursor programCursor(const QString& name, int hotX, int hotY)
{
    const QImage image = renderSvg(name, QSize(32, 32), false);
    if (image.isNull())
        return QCursor(Qt::ArrowCursor);
    // Bit 1 in the picture bitmap is black; in the mask bitmap it marks a visible pixel.
    QImage bits(32, 32, QImage::Format_MonoLSB);
    QImage mask(32, 32, QImage::Format_MonoLSB);
    for (QImage* mono : {&bits, &mask}) {
        mono->setColorCount(2);
        mono->setColor(0, qRgb(255, 255, 255));
        mono->setColor(1, qRgb(0, 0, 0));
        mono->fill(0);
    }
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) < 128)
                continue;
            mask.setPixel(x, y, 1);
            bits.setPixel(x, y, qGray(pixel) < 128 ? 1 : 0);
        }
    }
    return QCursor(QBitmap::fromImage(bits), QBitmap::fromImage(mask), hotX, hotY);
}

void loadScreenCursors()
{
    registerScreenCursor(kCursorDragHand, programCursor(QStringLiteral("MYSB_DRAGC"), 15, 16));
    registerScreenCursor(kCursorMagnifier, programCursor(QStringLiteral("MYSB_LUPE"), 0, 0));
}
