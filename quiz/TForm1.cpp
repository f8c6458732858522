#include "TForm1.h"

#include "Application.h"
#include "DesignFonts.h"
#include "Exceptions.h"
#include "Forms.h"

namespace {

const QString Correct = QStringLiteral("正 解！");
const QString Wrong = QStringLiteral("残 念");
const QString BlankVerdict = QStringLiteral("      ");

QString QuestionNumber(int n)
{
    return QStringLiteral("第 ") + QString::number(n) + QStringLiteral(" 問");
}

} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    DesignFonts::PrepareForm(this);
    setupUi(this);
    DesignFonts::Apply(this);
    // The layout gives the outer place; the size in the layout is the client area.
    move(166, 105);
    // A label grows with its text but never shrinks below its designed width.
    for (QLabel *label : {Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8})
        label->setMinimumWidth(label->width());

    const QString filter = QStringLiteral("ﾃﾞｰﾀ(*.dat)|*.dat|ﾃｷｽﾄ(*.txt)|*.txt");
    for (TFileDialog *dialog : {static_cast<TFileDialog *>(&OpenDialog1), static_cast<TFileDialog *>(&SaveDialog1)}) {
        dialog->Filter = filter;
        dialog->FilterIndex = 1;
        dialog->DefaultExt = QStringLiteral("dat");
    }

    // Which handler each event calls. The form's creation runs FormCreate through
    // Application::CreateForm.
    using Application::Wire;
    Wire(Susumeru, &QPushButton::clicked, this, &TForm1::SusumeruClick);
    Wire(Miru, &QPushButton::clicked, this, &TForm1::MiruClick);
    Wire(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    Wire(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    Wire(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    Wire(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    Wire(Sakujo, &QPushButton::clicked, this, &TForm1::SakujoClick);
    Wire(Button6, &QPushButton::clicked, this, &TForm1::Button6Click);
    Wire(K4, &QAction::triggered, this, &TForm1::Button6Click);
    Wire(K5, &QAction::triggered, this, &TForm1::K5Click);
    Wire(Yomikomi, &QPushButton::clicked, this, &TForm1::YomikomiClick);
    Wire(Open1, &QAction::triggered, this, &TForm1::YomikomiClick);
    Wire(Hozon, &QPushButton::clicked, this, &TForm1::HozonClick);
    Wire(K2, &QAction::triggered, this, &TForm1::HozonClick);
    Wire(Tojiru, &QPushButton::clicked, this, &TForm1::TojiruClick);
    Wire(Exit1, &QAction::triggered, this, &TForm1::TojiruClick);
    Wire(Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
    Wire(K3, &QAction::triggered, this, &TForm1::Button5Click);
    Wire(K7, &QAction::triggered, this, &TForm1::K7Click);
}

void TForm1::FormCreate(QObject *)
{
    WordList = std::make_unique<::WordList>();
    Position = 0;
    QuestionCount = 0;
    CorrectCount = 0;
    FileName.clear();
    Random.Randomize();
    SetCaption(Label3, QString());
    SetCaption(Label2, QString());
    SetCaption(Label1, QStringLiteral(" 判 定 "));
    SetCaption(Label4, QStringLiteral("第    問"));
}

void TForm1::ShowQuestion()
{
    ChoiceButtons = {Button1, Button2, Button3, Button4};
    AnswerSlot = static_cast<int>(Random.Next() % 4) + 1;
    FillSlot = AnswerSlot;
    if (WordList->Count() == 0) {
        SetCaption(Label6, QString());
        Button1->setText(QString());
        Button2->setText(QString());
        Button3->setText(QString());
        Button4->setText(QString());
        SetCaption(Label5, QString());
        Forms::SetCaption(this, QStringLiteral("Sorvik"));
        FileName.clear();
        return;
    }
    ShowLine(Label6, WordList->Get(Position));
    ShowLine(Label5, WordList->Get(Position + 1));
    for (int i = 0; i < 4; ++i) {
        ShowChoice(ChoiceButtons[FillSlot - 1], WordList->Get(Position + 1 + 2 * i));
        FillSlot = FillSlot + 1;
        if (FillSlot > 4)
            FillSlot = 1;
    }
}

void TForm1::UpdateScore()
{
    // The verdict still showing decides whether the question counts as correct.
    if (Label1->text() == Correct)
        CorrectCount = CorrectCount + 1;
    SetCaption(Label3, QString::number(QuestionCount));
    SetCaption(Label2, QString::number(CorrectCount));
    SetCaption(Label1, BlankVerdict);
}

void TForm1::AnswerClick(int k)
{
    if (AnswerSlot == k) {
        SetCaption(Label1, Correct);
    } else {
        SetCaption(Label1, Wrong);
        Label5->setVisible(true);
    }
    const std::array<QPushButton *, 4> buttons = {Button1, Button2, Button3, Button4};
    for (int slot = 1; slot <= 4; ++slot)
        if (slot != k)
            buttons[slot - 1]->setEnabled(false);
}

void TForm1::Button1Click(QObject *)
{
    AnswerClick(1);
}

void TForm1::Button2Click(QObject *)
{
    AnswerClick(2);
}

void TForm1::Button3Click(QObject *)
{
    AnswerClick(3);
}

void TForm1::Button4Click(QObject *)
{
    AnswerClick(4);
}

void TForm1::MiruClick(QObject *)
{
    Label5->setVisible(true);
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    Button3->setEnabled(false);
    Button4->setEnabled(false);
}

void TForm1::SusumeruClick(QObject *)
{
    Label5->setVisible(false);
    Position = Position + 2;
    if (Position < WordList->Count() - 6) {
        SetCaption(Label4, QuestionNumber(QuestionCount + 2));
        QuestionCount = QuestionCount + 1;
        UpdateScore();
        EnableAnswerButtons();
        ShowQuestion();
    } else {
        SetCaption(Label6, QStringLiteral("終了"));
        Button1->setText(QString());
        Button2->setText(QString());
        Button3->setText(QString());
        Button4->setText(QString());
        SetCaption(Label5, QString());
        QuestionCount = QuestionCount + 1;
        UpdateScore();
        // Not shown: they make the next advance start a new run at the first entry.
        QuestionCount = -1;
        CorrectCount = 0;
        Position = -2;
    }
}

void TForm1::K5Click(QObject *)
{
    Position = 0;
    EnableAnswerButtons();
    QuestionCount = 0;
    CorrectCount = 0;
    SetCaption(Label4, QStringLiteral("第 １ 問"));
    SetCaption(Label3, QStringLiteral("0"));
    SetCaption(Label2, QStringLiteral("0"));
    ShowQuestion();
}

void TForm1::SakujoClick(QObject *)
{
    if (WordList->Count() == 0)
        return;
    // At the end of a run Position is -2: this read fails before anything changes.
    const QString message = ToCaption(WordList->Get(Position)) + QStringLiteral(" を末尾に移動します。");
    if (MessageDlg(this, message, QStringLiteral("移動"), TMsgButtons::YesNoCancel) == TModalResult::Yes) {
        WordList->MoveEntryToEnd(Position);
        SetCaption(Label4, QuestionNumber(QuestionCount + 2));
        QuestionCount = QuestionCount + 1;
        UpdateScore();
    }
    EnableAnswerButtons();
    Label5->setVisible(false);
    ShowQuestion();
}

void TForm1::Button6Click(QObject *)
{
    if (WordList->Count() > 0)
        WordList->SwapQuestionsAndAnswers();
    Position = 0;
    EnableAnswerButtons();
    Label5->setVisible(false);
    ShowQuestion();
}

void TForm1::ResetAfterLoading()
{
    Position = 0;
    QuestionCount = 0;
    CorrectCount = 0;
    Random.Randomize();
    SetCaption(Label4, QuestionNumber(QuestionCount + 1));
    Label5->setVisible(false);
    SetCaption(Label3, QStringLiteral("0"));
    SetCaption(Label2, QStringLiteral("0"));
    // The previous list's verdict is dropped without being tallied.
    SetCaption(Label1, BlankVerdict);
    Forms::SetCaption(this, QStringLiteral("Sorvik(") + FileName + QStringLiteral(")"));
    ShowQuestion();
}

void TForm1::YomikomiClick(QObject *)
{
    for (;;) {
        OpenDialog1.FileName = FileName;
        if (!OpenDialog1.Execute(this))
            break;
        FileName = OpenDialog1.FileName;
        try {
            WordList->LoadFromFile(FileName);
            Encoding = WordList->IsUtf8Text() ? TLineEncoding::Utf8 : TLineEncoding::Cp932;
        } catch (const EFOpenError &e) {
            if (MessageDlg(this, e.Message(), QStringLiteral("ok"), TMsgButtons::RetryCancel) == TModalResult::Retry)
                continue;
            break;
        }
        ResetAfterLoading();
        break;
    }
    EnableAnswerButtons();
}

void TForm1::HozonClick(QObject *)
{
    if (WordList->Count() == 0)
        return;
    SaveDialog1.FileName = FileName;
    SaveDialog1.OverwritePrompt = true;
    if (!SaveDialog1.Execute(this))
        return;
    FileName = SaveDialog1.FileName;
    Forms::SetCaption(this, QStringLiteral("Sorvik(") + FileName + QStringLiteral(")"));
    WordList->SaveToFile(FileName);
}

void TForm1::TojiruClick(QObject *)
{
    Forms::Close(this);
}

void TForm1::Button5Click(QObject *)
{
    Forms::Show(Form2);
}

void TForm1::K7Click(QObject *)
{
    Forms::Show(AboutBox);
}

void TForm1::EnableAnswerButtons()
{
    Button1->setEnabled(true);
    Button2->setEnabled(true);
    Button3->setEnabled(true);
    Button4->setEnabled(true);
}

QString TForm1::ToCaption(const QByteArray &line) const
{
    // A caption shows a few dozen characters before its edge; laying out a huge
    // line whole would stall the window for seconds, so only its start is decoded.
    return LineText::DecodeShownStart(line, Encoding);
}

void TForm1::ShowLine(QLabel *label, const QByteArray &line) const
{
    SetCaption(label, ToCaption(line));
}

void TForm1::ShowChoice(QPushButton *button, const QByteArray &line) const
{
    // A button reads '&' as a mnemonic; the learner's words are shown as written.
    button->setText(ToCaption(line).replace(QLatin1Char('&'), QLatin1String("&&")));
}

void TForm1::SetCaption(QLabel *label, const QString &text)
{
    label->setText(text);
    // Wider text widens the label up to its parent's inner edge, where it is cut off.
    const int room = label->parentWidget()->contentsRect().right() + 1 - label->x();
    label->resize(qMax(label->minimumWidth(), qMin(label->sizeHint().width(), room)), label->height());
}

