#pragma once
// The quiz window: asks the entries of a word list as four-choice questions, keeps
// the score, and carries the list commands (load, save, memorised, swap direction).
#include "ui_Form1.h"

#include "Dialogs.h"
#include "LineText.h"
#include "RandomSource.h"
#include "WordList.h"

#include <QByteArray>
#include <QMainWindow>
#include <QString>
#include <array>
#include <memory>

class TForm1 : public QMainWindow, private Ui::TForm1 {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);

    void SusumeruClick(QObject *Sender);
    void FormCreate(QObject *Sender);
    void MiruClick(QObject *Sender);
    void YomikomiClick(QObject *Sender);
    void TojiruClick(QObject *Sender);
    void Button1Click(QObject *Sender);
    void Button2Click(QObject *Sender);
    void Button3Click(QObject *Sender);
    void Button4Click(QObject *Sender);
    void SakujoClick(QObject *Sender);
    void HozonClick(QObject *Sender);
    void Button5Click(QObject *Sender);
    void Button6Click(QObject *Sender);
    void K5Click(QObject *Sender);
    void K7Click(QObject *Sender);

    // Reads the engine's state and seeds its random source.
    friend class TestQuiz;
    friend class TestRandomUse;
    friend class TestHostile;

private:
    TOpenDialog OpenDialog1;
    TSaveDialog SaveDialog1;

    std::unique_ptr<::WordList> WordList; // question line 2k, answer line 2k + 1
    QString FileName;                     // the current word-list file; empty when none
    int Position = 0;                     // the question line asked; even, or -2 after a run
    std::array<QPushButton *, 4> ChoiceButtons{}; // slots 1 to 4 at indexes 0 to 3
    int FillSlot = 0;                     // the slot ShowQuestion fills next
    int AnswerSlot = 0;                   // the slot holding the correct answer; 0: none yet
    int QuestionCount = 0;                // completed in this run; -1 after a run has ended
    int CorrectCount = 0;
    TRandomSource Random;
    // How the list's lines are shown, chosen once when it is loaded.
    TLineEncoding Encoding = TLineEncoding::Cp932;

    void ShowQuestion();
    void UpdateScore();
    void ResetAfterLoading();
    void AnswerClick(int k);
    void EnableAnswerButtons();

    // Where list lines become captions: the one place that knows their encoding.
    QString ToCaption(const QByteArray &line) const;
    void ShowLine(QLabel *label, const QByteArray &line) const;
    void ShowChoice(QPushButton *button, const QByteArray &line) const;
    static void SetCaption(QLabel *label, const QString &text);
};
