// The floor for any Qt 6 Widgets program: a window with a label and four buttons.
// Built twice: with Latin captions (bareqt), and as Tavi must start (bareqt_ja):
// Japanese captions on the buttons in the proportional IPAPGothic, the label in the
// fixed-pitch IPAGothic (bold, 24 px, Latin text: what a quiz window shows there
// at start-up) and Qt's own Japanese texts loaded.
#include <QApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPushButton>
#include <QTranslator>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
#ifdef BAREQT_JAPANESE
    QTranslator qtbase;
    if (qtbase.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtbase);
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    const QString title = QStringLiteral("単語");
    const QString question = QStringLiteral("bareqt 1.0.0");
    const QString answers[4] = {QStringLiteral("りんご"), QStringLiteral("本"), QStringLiteral("机"),
                                QStringLiteral("鉛筆")};
#else
    const QString title = QStringLiteral("bareqt");
    const QString question = QStringLiteral("question");
    const QString answers[4] = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")};
#endif
    QWidget window;
    window.setWindowTitle(title);
    window.resize(429, 271);
    auto *label = new QLabel(question, &window);
#ifdef BAREQT_JAPANESE
    QFont fixed(QStringLiteral("IPAGothic"));
    fixed.setPixelSize(24);
    fixed.setBold(true);
    label->setFont(fixed);
#endif
    label->move(16, 8);
    for (int i = 0; i < 4; ++i) {
        auto *button = new QPushButton(answers[i], &window);
        button->setGeometry(16, 88 + 32 * i, 281, 25);
    }
    window.show();
    return app.exec();
}
