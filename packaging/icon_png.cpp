// Build tool: writes the application icon as a PNG for the desktop's icon theme.
// icon_png INPUT OUTPUT SIZE: the INPUT image (an .ico file may hold several) nearest to SIZE pixels.

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fputs("usage: icon_png INPUT OUTPUT SIZE\n", stderr);
        return 2;
    }
    const int size = std::atoi(argv[3]);
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    QImage best;
    do {
        const QImage image = reader.read();
        if (image.isNull())
            break;
        if (best.isNull() || std::abs(image.width() - size) < std::abs(best.width() - size))
            best = image;
    } while (reader.jumpToNextImage());
    if (best.isNull()) {
        std::fprintf(stderr, "icon_png: cannot read %s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    if (best.width() != size || best.height() != size)
        best = best.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!best.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "icon_png: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
