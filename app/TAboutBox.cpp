#include "TAboutBox.h"

#include "Application.h"
#include "Cp932.h"
#include "Desktop.h"
#include "DesignFonts.h"
#include "Exceptions.h"
#include "Forms.h"
#include "InstalledData.h"
#include "ReadFile.h"
#include "Texts.h"

#include <QFileInfo>
#include <QPixmap>

namespace {

bool IsLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Every CR LF, lone CR and lone LF becomes CR LF; the byte after a lead byte is
// never a line break.
QByteArray NormaliseLineBreaks(const QByteArray &in)
{
    QByteArray out;
    out.reserve(in.size() + in.size() / 8);
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < in.size()) {
            out.append(c);
            out.append(in.at(++i));
        } else if (c == '\r') {
            out.append("\r\n");
            if (i + 1 < in.size() && in.at(i + 1) == '\n')
                ++i;
        } else if (c == '\n') {
            out.append("\r\n");
        } else {
            out.append(c);
        }
    }
    return out;
}

// The text area breaks lines only at CR LF. After normalisation a lone CR or LF is
// the trail byte of a broken double-byte character, which shows as its lead byte's
// own character; it breaks nothing.
QString ShownText(const QString &decoded)
{
    QString shown;
    shown.reserve(decoded.size());
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        const QChar c = decoded.at(i);
        if (c == QLatin1Char('\r') && i + 1 < decoded.size() && decoded.at(i + 1) == QLatin1Char('\n')) {
            shown.append(QLatin1Char('\n'));
            ++i;
        } else if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            shown.append(c);
        }
    }
    return shown;
}

} // namespace

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    DesignFonts::PrepareForm(this);
    setupUi(this);
    DesignFonts::Apply(this);
    // A dialog frame: no icon of its own in the title bar.
    QPixmap none(16, 16);
    none.fill(Qt::transparent);
    setWindowIcon(QIcon(none));
    Application::Wire(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

void TAboutBox::FormCreate(QObject *)
{
    // The working folder's help.txt comes first; where it has none, the installed
    // one is read, and only without either is the missing file reported.
    const QString name = QStringLiteral("help.txt");
    const QString installed = InstalledData::File(name);
    TReadFile file(installed.isEmpty() || QFileInfo::exists(name) ? name : installed);
    // Refuse a huge file before reading it, so that it cannot stall start-up.
    if (file.Size() > MemoLimit)
        throw EInvalidOperation(Texts::Get(Texts::SMemoTooLarge));
    QByteArray text = NormaliseLineBreaks(file.ReadAll());
    if (text.size() > MemoLimit)
        throw EInvalidOperation(Texts::Get(Texts::SMemoTooLarge));
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    Memo1->setPlainText(ShownText(Cp932::Decode(text)));
}

void TAboutBox::OKButtonClick(QObject *)
{
    Forms::Hide(this);
    Forms::Show(Form1);
}

void TAboutBox::showEvent(QShowEvent *event)
{
    // Centred on the quiz window's screen the first time; afterwards where the
    // learner left it.
    if (!Shown) {
        Shown = true;
        Desktop::CentreOnScreenOf(this, Form1);
    }
    QWidget::showEvent(event);
}
