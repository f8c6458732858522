// Draws the menu and dock icons from the program icon, MAINICON.xpm: a scalable SVG
// with one square per pixel and PNGs enlarged pixel by pixel, so that every size
// shows the same 32 x 32 picture.
//   make_icons MAINICON.xpm OUTDIR SIZE...  ->  OUTDIR/tavi.svg, OUTDIR/tavi-SIZE.png
#include <QFile>
#include <QImage>
#include <QTextStream>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_icons XPM OUTDIR SIZE...\n");
        return 2;
    }
    const QImage icon = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_ARGB32);
    if (icon.isNull()) {
        std::fprintf(stderr, "make_icons: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[2]);

    QFile svg(out + QStringLiteral("/tavi.svg"));
    if (!svg.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    QTextStream s(&svg);
    s << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 " << icon.width() << ' '
      << icon.height() << "\" shape-rendering=\"crispEdges\">\n";
    // One rectangle per run of equal pixels in a row.
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width();) {
            const QRgb c = icon.pixel(x, y);
            int end = x + 1;
            while (end < icon.width() && icon.pixel(end, y) == c)
                ++end;
            if (qAlpha(c) != 0)
                s << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << end - x << "\" height=\"1\" fill=\""
                  << QColor(c).name() << "\"/>\n";
            x = end;
        }
    }
    s << "</svg>\n";
    s.flush();
    if (!svg.flush())
        return 1;

    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        const QImage scaled = icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (size <= 0 || !scaled.save(out + QStringLiteral("/tavi-%1.png").arg(size), "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write the %s px icon\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
