#include "TForm1.h"

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("☆Sorvik"));
}

void TForm1::FormCreate(QObject *) {}
