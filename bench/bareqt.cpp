// The floor for any Qt 6 Widgets program: a window with a label and four buttons.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(429, 271);
    auto *label = new QLabel(QStringLiteral("question"), &window);
    label->move(16, 8);
    for (int i = 0; i < 4; ++i) {
        auto *button = new QPushButton(QString::number(i + 1), &window);
        button->setGeometry(16, 88 + 32 * i, 281, 25);
    }
    window.show();
    return app.exec();
}
