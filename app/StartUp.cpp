#include "StartUp.h"

#include "Application.h"
#include "Desktop.h"
#include "Windows.h"

#include <QIcon>

void CreateWindows()
{
    Application::SetTitle(QStringLiteral("Tavi"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tavi/MAINICON.xpm")));
    // Docks and Wayland compositors find the menu entry, its name and icon by this.
    QGuiApplication::setDesktopFileName(QStringLiteral("tavi"));
    // All three windows belong to the application, none to another window, so any
    // may lie above the others; the quiz window carries the one taskbar entry.
    Application::CreateForm<TForm1>(Form1);
    Application::CreateForm<TForm2>(Form2);
    Application::CreateForm<TAboutBox>(AboutBox);
    Desktop::ModalsReturnToTheirWindows();
    Desktop::MainWindow(Form1, Application::Title());
    Desktop::SecondaryWindow(Form2);
    Desktop::SecondaryWindow(AboutBox);
    for (QWidget *form : {Form1, Form2}) {
        Desktop::KeepOnScreen(form);
        Desktop::KeyboardConventions(form);
    }
}

int RunProgram()
{
    try {
        CreateWindows();
        Form1->show();
        QApplication::exec();
    } catch (...) {
        Application::HandleCurrentException();
    }
    return 0;
}
