#include "Application.h"

#include "Dialogs.h"
#include "Exceptions.h"
#include "Forms.h"

#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>
#include <csignal>
#include <new>

namespace {
QString g_title;
QWidget *g_mainForm = nullptr;
} // namespace

void Application::SetTitle(const QString &title)
{
    g_title = title;
}

QString Application::Title()
{
    return g_title;
}

QWidget *Application::MainForm()
{
    return g_mainForm;
}

void Application::SetMainForm(QWidget *form)
{
    g_mainForm = form;
    if (form)
        Forms::EndProgramOnClose(form);
}

void Application::InstallFontSubstitutes()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
}

void Application::ShowErrorReport(const QString &message)
{
    TMessageBoxRequest request;
    request.Owner = nullptr;
    request.Text = message + QLatin1Char('.');
    request.Caption = Title();
    request.Buttons = TMsgButtons::Ok;
    request.Icon = TMsgIcon::Stop;
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    Dialogs().MessageBox(request);
}

void Application::HandleCurrentException()
{
    try {
        throw;
    } catch (const EAbort &) {
    } catch (const Exception &e) {
        ShowErrorReport(e.Message());
    } catch (const std::bad_alloc &) {
        ShowErrorReport(EOutOfMemory().Message());
    } catch (const std::exception &e) {
        ShowErrorReport(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowErrorReport(QString());
    }
}

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // Under a file size limit a write past it would end the program with SIGXFSZ,
    // and every unsaved change with it; ignored, the write comes up short and the
    // save reports it like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    // Qt's own Japanese texts for message box and file dialog buttons.
    auto *qtbase = new QTranslator(this);
    if (qtbase->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qtbase);
    Application::InstallFontSubstitutes();
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        Application::HandleCurrentException();
        return true;
    }
}
