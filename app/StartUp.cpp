#include "StartUp.h"

#include "Application.h"
#include "Windows.h"

#include <QIcon>

void CreateWindows()
{
    Application::SetTitle(QStringLiteral("Tavi"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tavi/MAINICON.xpm")));
    Application::CreateForm<TForm1>(Form1);
    Application::CreateForm<TForm2>(Form2, Form1);
    Application::CreateForm<TAboutBox>(AboutBox, Form1);
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
