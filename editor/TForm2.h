#pragma once
#include <QMainWindow>

class TForm2 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    void FormCreate(QObject *Sender);
};
