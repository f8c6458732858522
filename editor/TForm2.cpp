#include "TForm2.h"

TForm2::TForm2(QWidget *parent) : QMainWindow(parent, Qt::Dialog)
{
    setWindowTitle(QStringLiteral("単語編集"));
}

void TForm2::FormCreate(QObject *) {}
