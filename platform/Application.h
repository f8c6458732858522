#pragma once
// The application object: title, window creation, the standard error report and
// the wrapper every event handler runs in.
#include <QApplication>
#include <QObject>
#include <QString>
#include <exception>
#include <utility>

class QWidget;

namespace Application {

// The title: the caption of every error report (and the taskbar entry's text).
void SetTitle(const QString &title);
QString Title();

// The main window: the first window created.
QWidget *MainForm();
void SetMainForm(QWidget *form);

// Maps the layouts' Windows font faces to the installed Japanese fonts.
void InstallFontSubstitutes();

// The standard error report for the failure being handled (call inside a catch):
// a message box owned by the application with the message + ".", the title as
// caption, one OK button and the stop icon. EAbort shows nothing.
void HandleCurrentException();

// Shows the report for a message as the report box does.
void ShowErrorReport(const QString &message);

// Runs a handler; a failure that leaves it goes to the standard error report and
// never unwinds into Qt.
template <class F>
void Guarded(F &&handler)
{
    try {
        std::forward<F>(handler)();
    } catch (...) {
        HandleCurrentException();
    }
}

// Connects a signal of sender to a handler of receiver that takes the sender, run
// through Guarded.
template <class Sender, class Signal, class Receiver>
QMetaObject::Connection Wire(Sender *sender, Signal signal, Receiver *receiver, void (Receiver::*handler)(QObject *))
{
    return QObject::connect(sender, signal, receiver,
                            [sender, receiver, handler] { Guarded([&] { (receiver->*handler)(sender); }); });
}

// Creates a window: sets the reference to it, runs its creation handler FormCreate
// (a failure there is reported at once and creation goes on), and makes the first
// window created the main window. If the construction itself fails, the reference
// is reset and the failure goes on to the caller.
template <class TForm, class Ref>
void CreateForm(Ref *&reference, QWidget *owner = nullptr)
{
    reference = nullptr;
    TForm *form = new TForm(owner);
    reference = form;
    Guarded([form] { form->FormCreate(form); });
    if (!MainForm())
        SetMainForm(form);
}

} // namespace Application

// The application: QApplication with a last-resort net for failures that reach Qt's
// event delivery without going through Guarded. It ignores SIGXFSZ, so that a
// write past a file size limit fails like one to a full disk.
class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
