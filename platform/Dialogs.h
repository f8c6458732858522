#pragma once
// The one seam every message box and file dialog of the program goes through, so
// that tests can script the learner's answers.
#include <QString>

class QFileDialog;
class QWidget;

enum class TMsgButtons { Ok, RetryCancel, YesNoCancel };
enum class TMsgIcon { None, Stop };
// The numbers Windows gives the answers.
enum class TModalResult { None = 0, Ok = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

struct TMessageBoxRequest {
    QWidget *Owner = nullptr; // nullptr: the application's own, modal to every window
    QString Text;             // always shown as plain text
    QString Caption;
    TMsgButtons Buttons = TMsgButtons::Ok;
    TMsgIcon Icon = TMsgIcon::None; // the first button is the default
};

enum class TFileDialogKind { Open, Save };

// The settings and result of an open or save dialog, kept from one run to the next.
class TFileDialog {
public:
    explicit TFileDialog(TFileDialogKind kind) : Kind(kind) {}

    TFileDialogKind Kind;
    QString FileName;   // preset before a run; the full path chosen after a confirmed one
    QString Filter;     // "description|pattern|description|pattern..."
    int FilterIndex = 1; // 1-based; the type chosen in a confirmed run is kept
    QString DefaultExt; // appended to a typed name without an extension
    bool OverwritePrompt = false;

    // Runs the dialog modally over owner. True when the learner confirmed a name.
    bool Execute(QWidget *owner);
};

class TOpenDialog : public TFileDialog {
public:
    TOpenDialog() : TFileDialog(TFileDialogKind::Open) {}
};

class TSaveDialog : public TFileDialog {
public:
    TSaveDialog() : TFileDialog(TFileDialogKind::Save) {}
};

class DialogSeam {
public:
    virtual ~DialogSeam() = default;
    virtual TModalResult MessageBox(const TMessageBoxRequest &request) = 0;
    // Runs the dialog; on confirmation sets dialog.FileName (and FilterIndex) and returns true.
    virtual bool RunFileDialog(TFileDialog &dialog, QWidget *owner) = 0;
};

// Gives Qt's file dialog fd the settings of dialog: what Qt's seam runs, and what
// tests read without running it.
void SetUpFileDialog(QFileDialog &fd, const TFileDialog &dialog);
// The file type chosen in fd, 1-based as FilterIndex; 0 when none.
int ChosenFilterIndex(const QFileDialog &fd);

// The seam in use: Qt's dialogs unless a test has put its own in place.
DialogSeam &Dialogs();
// Puts seam in place (not owned); nullptr restores Qt's dialogs.
void SetDialogs(DialogSeam *seam);

// Shows a message box of the program's own: no icon, first button the default.
TModalResult MessageDlg(QWidget *owner, const QString &text, const QString &caption, TMsgButtons buttons);
