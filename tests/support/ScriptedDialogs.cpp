#include "ScriptedDialogs.h"

ScriptedDialogs::ScriptedDialogs()
{
    SetDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    SetDialogs(nullptr);
}

ScriptedDialogs &ScriptedDialogs::Answer(TModalResult result)
{
    Script.append({false, result, false, QString()});
    return *this;
}

ScriptedDialogs &ScriptedDialogs::Choose(const QString &path)
{
    Script.append({true, TModalResult::None, true, path});
    return *this;
}

ScriptedDialogs &ScriptedDialogs::Cancel()
{
    Script.append({true, TModalResult::None, false, QString()});
    return *this;
}

void ScriptedDialogs::ClearRecord()
{
    Boxes.clear();
    FileDialogs.clear();
    Errors.clear();
}

TModalResult ScriptedDialogs::MessageBox(const TMessageBoxRequest &request)
{
    Boxes.append(request);
    if (OnMessageBox)
        OnMessageBox(request);
    if (Script.isEmpty() || Script.first().IsFile) {
        Errors << QStringLiteral("unscripted message box: ") + request.Caption + QLatin1String(": ") + request.Text;
        return request.Buttons == TMsgButtons::Ok ? TModalResult::Ok : TModalResult::Cancel;
    }
    return Script.takeFirst().Result;
}

bool ScriptedDialogs::RunFileDialog(TFileDialog &dialog, QWidget *owner)
{
    FileDialogs.append({dialog.Kind, owner, dialog.FileName, dialog.Filter, dialog.FilterIndex, dialog.DefaultExt,
                        dialog.OverwritePrompt});
    if (Script.isEmpty() || !Script.first().IsFile) {
        Errors << QStringLiteral("unscripted file dialog");
        return false;
    }
    const Step step = Script.takeFirst();
    if (step.Confirm)
        dialog.FileName = step.Path;
    return step.Confirm;
}
