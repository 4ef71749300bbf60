// Build-time tool: renders the icon the program draws to PNG files laid out as
// an icon theme wants them. Usage: qv-render-icons OUT_DIR NAME SIZE...
// writes OUT_DIR/<SIZE>x<SIZE>/apps/NAME.png.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "app_icons.h"

int main(int argc, char* argv[]) {
    // Painting on an image needs no screen, so no platform plugin either.
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fputs("Usage: qv-render-icons OUT_DIR NAME SIZE...\n", stderr);
        return 2;
    }
    const QIcon icon = FrameIcon();
    for (const QString& sizeText : args.mid(3)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        if (!ok || size < 1) {
            std::fprintf(stderr, "qv-render-icons: bad size %s\n", qPrintable(sizeText));
            return 2;
        }
        // Painted straight onto the image, so that no screen's pixel ratio scales it.
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        icon.paint(&painter, image.rect());
        painter.end();
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(args[1]).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(dir, args[2]);
        if (!QDir().mkpath(dir) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "qv-render-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
