#pragma once
// The word editor: its own list and file, browsed one entry at a time, with add,
// change, clear, open and save.
#include "ui_Form2.h"

#include "BoxText.h"
#include "Dialogs.h"
#include "WordList.h"

#include <QMainWindow>
#include <memory>

class TForm2 : public QMainWindow, private Ui::TForm2 {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    void Close1Click(QObject *Sender);
    void Open1Click(QObject *Sender);
    void FormCreate(QObject *Sender);
    void Button2Click(QObject *Sender);
    void Button3Click(QObject *Sender);
    void Button4Click(QObject *Sender);
    void Button1Click(QObject *Sender);
    void Button5Click(QObject *Sender);
    void Button6Click(QObject *Sender);

    friend class TestEditor;
    friend class TestRandomUse;
    friend class TestHostile;

private:
    TOpenDialog OpenDialog1;
    TSaveDialog SaveDialog1;

    QString FileName;
    int Position = 0;
    std::unique_ptr<::WordList> WordList; // created by FormCreate
    int EntryNumber = 0;
    // The lines Edit1 and Edit2 were last filled with.
    BoxText Edit1Text;
    BoxText Edit2Text;
    // How the list's lines are shown and typed text is stored, chosen once when it
    // is loaded.
    TLineEncoding Encoding = TLineEncoding::Cp932;

    void ShowEntry();
    bool RefusedUnstorable(const QString &caption);
};
