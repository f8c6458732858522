#pragma once
// A dialog seam for tests: records every message box and file dialog the program
// opens, and answers them from a script given beforehand, in order.
#include "Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class ScriptedDialogs : public DialogSeam {
public:
    ScriptedDialogs();  // puts itself in place
    ~ScriptedDialogs() override; // restores Qt's dialogs

    // The next message box is answered with result.
    ScriptedDialogs &Answer(TModalResult result);
    // The next file dialog is confirmed with path (or cancelled).
    ScriptedDialogs &Choose(const QString &path);
    ScriptedDialogs &Cancel();

    // What the program showed, in order.
    QList<TMessageBoxRequest> Boxes;
    struct FileRun {
        TFileDialogKind Kind;
        QWidget *Owner;
        QString FileName; // the preset
        QString Filter;
        int FilterIndex;
        QString DefaultExt;
        bool OverwritePrompt;
    };
    QList<FileRun> FileDialogs;

    // Called as each message box appears, before it is answered.
    std::function<void(const TMessageBoxRequest &)> OnMessageBox;

    // Problems seen: a box or dialog without a scripted answer, or of the wrong kind.
    QStringList Errors;
    // Scripted answers not used yet.
    int Pending() const { return Script.size(); }
    // Forgets what was recorded (not the script).
    void ClearRecord();

    TModalResult MessageBox(const TMessageBoxRequest &request) override;
    bool RunFileDialog(TFileDialog &dialog, QWidget *owner) override;

private:
    struct Step {
        bool IsFile;
        TModalResult Result;
        bool Confirm;
        QString Path;
    };
    QList<Step> Script;
};
