#include "TForm2.h"

#include "Application.h"
#include "DesignFonts.h"
#include "Exceptions.h"
#include "Forms.h"

namespace {

// Labels size themselves to their caption, as the layout's labels do.
void SetCaption(QLabel *label, const QString &text)
{
    label->setText(text);
    label->resize(label->sizeHint().width(), label->height());
}

} // namespace

TForm2::TForm2(QWidget *parent) : QMainWindow(parent)
{
    DesignFonts::PrepareForm(this);
    setupUi(this);
    DesignFonts::Apply(this);
    move(173, 169); // the frame's place; the layout's size is the client area
    Edit1->setValidator(new OneLineValidator(Edit1));
    Edit2->setValidator(new OneLineValidator(Edit2));

    OpenDialog1.Filter = QStringLiteral("データ(*.dat)|*.dat|すべてのファイル(*.*)|*.*");

    Application::Wire(Open1, &QAction::triggered, this, &TForm2::Open1Click);
    Application::Wire(Hozo, &QAction::triggered, this, &TForm2::Button6Click);
    Application::Wire(Close1, &QAction::triggered, this, &TForm2::Close1Click);
    Application::Wire(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    Application::Wire(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    Application::Wire(Button3, &QPushButton::clicked, this, &TForm2::Button3Click);
    Application::Wire(Button4, &QPushButton::clicked, this, &TForm2::Button4Click);
    Application::Wire(Button5, &QPushButton::clicked, this, &TForm2::Button5Click);
    Application::Wire(Button6, &QPushButton::clicked, this, &TForm2::Button6Click);
}

void TForm2::FormCreate(QObject *)
{
    WordList = std::make_unique<::WordList>();
}

void TForm2::ShowEntry()
{
    Edit1->setText(Edit1Text.Show(WordList->Get(Position), Encoding));
    Edit1->setReadOnly(Edit1Text.IsCut());
    Edit2->setText(Edit2Text.Show(WordList->Get(Position + 1), Encoding));
    Edit2->setReadOnly(Edit2Text.IsCut());
    SetCaption(Label1, QStringLiteral("第 ") + QString::number(EntryNumber + 1) + QStringLiteral(" 問"));
    SetCaption(Label2, QStringLiteral("全 ") + QString::number(WordList->Count() / 2) + QStringLiteral(" 問"));
}

void TForm2::Open1Click(QObject *)
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
        Position = 0;
        EntryNumber = 0;
        SetCaption(Label1, QStringLiteral("第 ") + QString::number(1) + QStringLiteral(" 問"));
        Forms::SetCaption(this, QStringLiteral("Sorvik(") + FileName + QLatin1Char(')'));
        ShowEntry();
        break;
    }
    Button1->setEnabled(true);
    Button2->setEnabled(true);
    Button3->setEnabled(true);
    Button4->setEnabled(true);
}

void TForm2::Button2Click(QObject *)
{
    Position += 2;
    EntryNumber += 1;
    if (Position >= WordList->Count()) {
        Position = 0;
        EntryNumber = 0;
    }
    ShowEntry();
}

void TForm2::Button1Click(QObject *)
{
    Position -= 2;
    EntryNumber -= 1;
    if (Position < 0) {
        Position = WordList->Count() - 2;
        EntryNumber = (WordList->Count() - 2) / 2;
    }
    ShowEntry();
}

void TForm2::Button3Click(QObject *)
{
    if (WordList->Count() != 0) {
        if (RefusedUnstorable(QStringLiteral("追加")))
            return;
        if (MessageDlg(this, LineText::ShownStart(Edit1->text()) + QStringLiteral("を追加します。"),
                       QStringLiteral("追加"), TMsgButtons::YesNoCancel) == TModalResult::Yes) {
            QByteArray question = Edit1Text.NewLine(Edit1->text(), Encoding);
            const QByteArray answer = Edit2Text.NewLine(Edit2->text(), Encoding);
            // The new first line takes over the byte-order mark the list starts with.
            if (Encoding == TLineEncoding::Utf8) {
                QByteArray first = WordList->Get(0);
                if (BoxText::HandOverMark(first, question, Encoding))
                    WordList->Put(0, first);
            }
            Position = 0;
            EntryNumber = 0;
            WordList->Insert(0, question);
            WordList->Insert(1, answer);
        }
    }
    ShowEntry();
}

void TForm2::Button4Click(QObject *)
{
    if (WordList->Count() != 0) {
        if (RefusedUnstorable(QStringLiteral("変更")))
            return;
        if (MessageDlg(this, LineText::ShownStart(Edit1->text()) + QStringLiteral("に変更します。"),
                       QStringLiteral("変更"), TMsgButtons::YesNoCancel) == TModalResult::Yes) {
            WordList->Put(Position, Edit1Text.Line(Edit1->text(), Encoding));
            WordList->Put(Position + 1, Edit2Text.Line(Edit2->text(), Encoding));
        }
    }
    ShowEntry();
}

// A character the file cannot hold is refused before anything changes, and the
// typed text stays for the learner to mend: true when a box named one.
bool TForm2::RefusedUnstorable(const QString &caption)
{
    QString bad = Edit1Text.FirstUnstorable(Edit1->text(), Encoding);
    if (bad.isEmpty())
        bad = Edit2Text.FirstUnstorable(Edit2->text(), Encoding);
    if (bad.isEmpty())
        return false;
    MessageDlg(this, BoxText::UnstorableMessage(bad), caption, TMsgButtons::Ok);
    return true;
}

void TForm2::Button5Click(QObject *)
{
    Edit1->setText(QString());
    Edit2->setText(QString());
    // Empty boxes take a new entry, also where a cut line was shown.
    Edit1->setReadOnly(false);
    Edit2->setReadOnly(false);
}

void TForm2::Button6Click(QObject *)
{
    if (WordList->Count() <= 0)
        return;
    SaveDialog1.FileName = FileName;
    SaveDialog1.OverwritePrompt = true;
    if (!SaveDialog1.Execute(this))
        return;
    FileName = SaveDialog1.FileName;
    Forms::SetCaption(this, QStringLiteral("Sorvik(") + FileName + QLatin1Char(')'));
    WordList->SaveToFile(FileName);
}

void TForm2::Close1Click(QObject *)
{
    Forms::Hide(this);
    Forms::Show(Form1);
}
