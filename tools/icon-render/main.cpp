// tlvx-icon-render SVG FOLDER NAME SIZE...: renders the icon SVG to
// FOLDER/SIZExSIZE/apps/NAME.png for each size, as the hicolor theme lays
// its pictures out. Used by the build; exit status 1 when the picture
// cannot be read or a file cannot be written.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc < 5) {
        std::fputs("usage: tlvx-icon-render SVG FOLDER NAME SIZE...\n", stderr);
        return 2;
    }
    // No screen is needed to paint into an image.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "tlvx-icon-render: %s: not a picture\n", argv[1]);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int side = std::atoi(argv[i]);
        if (side <= 0 || side > 1024) {
            std::fprintf(stderr, "tlvx-icon-render: %s: not a size\n", argv[i]);
            return 2;
        }
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        const QString place = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(side);
        const QString file = place + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(place) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "tlvx-icon-render: %s cannot be written\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
