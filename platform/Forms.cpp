#include "Forms.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

QWidget *Form1 = nullptr;
QWidget *Form2 = nullptr;
QWidget *AboutBox = nullptr;

namespace {

class EndOnClose : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close) {
            // The window stays as it is; the program ends once the loop takes the quit.
            event->ignore();
            QCoreApplication::exit(0);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void Forms::Show(QWidget *form)
{
    if (!form)
        return;
    // A minimised window is restored: a secondary window has no taskbar entry to
    // restore it from.
    if (form->isMinimized())
        form->setWindowState(form->windowState() & ~Qt::WindowMinimized);
    form->show();
    form->raise();
    form->activateWindow();
}

void Forms::Hide(QWidget *form)
{
    if (form)
        form->hide();
}

void Forms::Close(QWidget *form)
{
    if (form)
        form->close();
}

void Forms::SetCaption(QWidget *form, const QString &caption)
{
    // "[*]" in a title is Qt's placeholder for the modified mark; "[*][*]" shows it.
    form->setWindowTitle(QString(caption).replace(QLatin1String("[*]"), QLatin1String("[*][*]")));
}

void Forms::EndProgramOnClose(QWidget *form)
{
    form->installEventFilter(new EndOnClose(form));
}
