#include "Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QPushButton>
#include <QStringList>

namespace {

class QtDialogs : public DialogSeam {
public:
    TModalResult MessageBox(const TMessageBoxRequest &request) override
    {
        QMessageBox box(request.Owner);
        box.setTextFormat(Qt::PlainText);
        box.setText(request.Text);
        box.setWindowTitle(request.Caption);
        box.setIcon(request.Icon == TMsgIcon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon);
        if (!request.Owner)
            box.setWindowModality(Qt::ApplicationModal);
        struct Choice {
            QMessageBox::StandardButton Button;
            TModalResult Result;
        };
        QList<Choice> choices;
        switch (request.Buttons) {
        case TMsgButtons::Ok:
            choices = {{QMessageBox::Ok, TModalResult::Ok}};
            break;
        case TMsgButtons::RetryCancel:
            choices = {{QMessageBox::Retry, TModalResult::Retry}, {QMessageBox::Cancel, TModalResult::Cancel}};
            break;
        case TMsgButtons::YesNoCancel:
            choices = {{QMessageBox::Yes, TModalResult::Yes},
                       {QMessageBox::No, TModalResult::No},
                       {QMessageBox::Cancel, TModalResult::Cancel}};
            break;
        }
        QMessageBox::StandardButtons set;
        for (const Choice &c : choices)
            set |= c.Button;
        box.setStandardButtons(set);
        box.setDefaultButton(choices.first().Button);
        // Closing the box by its title bar answers Cancel where there is one.
        box.setEscapeButton(choices.last().Button);
        box.exec();
        const auto pressed = box.standardButton(box.clickedButton());
        for (const Choice &c : choices)
            if (c.Button == pressed)
                return c.Result;
        return request.Buttons == TMsgButtons::Ok ? TModalResult::Ok : TModalResult::Cancel;
    }

    bool RunFileDialog(TFileDialog &dialog, QWidget *owner) override
    {
        // Qt's file dialog keeps its history and layout in the user's Qt settings,
        // written and synced to disk as it closes, which held every load back by tens
        // of milliseconds. The program keeps no state between runs: they go nowhere.
        static const bool noDialogState = [] {
            for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
                QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
            return true;
        }();
        Q_UNUSED(noDialogState);
        QFileDialog fd(owner);
        SetUpFileDialog(fd, dialog);
        if (fd.exec() != QDialog::Accepted || fd.selectedFiles().isEmpty())
            return false;
        dialog.FileName = fd.selectedFiles().first();
        if (const int index = ChosenFilterIndex(fd))
            dialog.FilterIndex = index;
        return true;
    }
};

// "desc|pattern|desc|pattern" -> Qt's "desc (pattern)" filters, of which the dialog
// shows only the descriptions, exactly as written.
QStringList NameFilters(const QString &filter)
{
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts.at(i + 1);
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" means every file, also one without a dot in its name.
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
        out << parts.at(i) + QLatin1String(" (") + pattern + QLatin1Char(')');
    }
    return out;
}

DialogSeam *g_seam = nullptr;

} // namespace

DialogSeam &Dialogs()
{
    static QtDialogs qt;
    return g_seam ? *g_seam : qt;
}

void SetDialogs(DialogSeam *seam)
{
    g_seam = seam;
}

void SetUpFileDialog(QFileDialog &fd, const TFileDialog &dialog)
{
    fd.setOption(QFileDialog::DontUseNativeDialog);
    fd.setOption(QFileDialog::HideNameFilterDetails);
    const bool save = dialog.Kind == TFileDialogKind::Save;
    fd.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // The open dialog also returns a name that does not exist: the read then fails.
    fd.setFileMode(QFileDialog::AnyFile);
    if (!save)
        fd.setLabelText(QFileDialog::Accept, QFileDialog::tr("&Open"));
    fd.setOption(QFileDialog::DontConfirmOverwrite, !(save && dialog.OverwritePrompt));
    const QStringList filters = NameFilters(dialog.Filter);
    if (!filters.isEmpty()) {
        fd.setNameFilters(filters);
        if (dialog.FilterIndex >= 1 && dialog.FilterIndex <= filters.size())
            fd.selectNameFilter(filters.at(dialog.FilterIndex - 1));
    }
    fd.setDefaultSuffix(dialog.DefaultExt);
    if (!dialog.FileName.isEmpty()) {
        const QFileInfo preset(dialog.FileName);
        if (preset.isAbsolute() || dialog.FileName.contains(QLatin1Char('/')))
            fd.setDirectory(preset.absolutePath());
        fd.selectFile(preset.fileName());
    }
}

int ChosenFilterIndex(const QFileDialog &fd)
{
    // Qt names the chosen type by the description it shows, or (other versions)
    // by the whole filter "description (pattern)".
    const QString chosen = fd.selectedNameFilter();
    const QStringList filters = fd.nameFilters();
    for (int i = 0; i < filters.size(); ++i) {
        const QString &f = filters.at(i);
        if (f == chosen || f.left(f.lastIndexOf(QLatin1String(" ("))) == chosen)
            return i + 1;
    }
    return 0;
}

bool TFileDialog::Execute(QWidget *owner)
{
    return Dialogs().RunFileDialog(*this, owner);
}

TModalResult MessageDlg(QWidget *owner, const QString &text, const QString &caption, TMsgButtons buttons)
{
    TMessageBoxRequest request;
    request.Owner = owner;
    request.Text = text;
    request.Caption = caption;
    request.Buttons = buttons;
    return Dialogs().MessageBox(request);
}
