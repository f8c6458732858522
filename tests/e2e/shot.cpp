// Reads pixels of a window on the X server, for the end-to-end tests:
//   shot WINDOW X Y W H [FILE]
// prints the contrast ratio of the region (its most common colour, the background,
// against the colour that stands out most from it, the text) and the background's
// relative luminance, both as WCAG defines them, then the first and last rows that
// hold ink (pixels at least 1.5:1 from the background; -1 -1 when none). FILE, when
// given, gets the region as a PNG picture. WINDOW 0 is the whole screen; W or H -1
// reaches the edge.
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cmath>
#include <cstdio>

static double Luminance(QRgb c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

static double Contrast(double a, double b)
{
    return (qMax(a, b) + 0.05) / (qMin(a, b) + 0.05);
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6 && args.size() != 7) {
        std::fprintf(stderr, "usage: shot WINDOW X Y W H [FILE]\n");
        return 2;
    }
    const QImage image = QGuiApplication::primaryScreen()
                             ->grabWindow(args.at(1).toULongLong(), args.at(2).toInt(), args.at(3).toInt(),
                                          args.at(4).toInt(), args.at(5).toInt())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "shot: no picture of window %s\n", qPrintable(args.at(1)));
        return 1;
    }
    if (args.size() == 7 && !image.save(args.at(6), "PNG")) {
        std::fprintf(stderr, "shot: cannot write %s\n", qPrintable(args.at(6)));
        return 1;
    }
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    const double bg = Luminance(background);
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = qMax(best, Contrast(bg, Luminance(it.key())));
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Contrast(bg, Luminance(image.pixel(x, y))) >= 1.5) {
                if (top < 0)
                    top = y;
                bottom = y;
                break;
            }
    std::printf("%.2f %.3f %d %d\n", best, bg, top, bottom);
    return 0;
}
