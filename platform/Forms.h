#pragma once
// The three window references and the window operations. The windows reach one
// another only through these, and only to show, hide or close: declared as their
// common base QWidget, so quiz/ and editor/ never include each other. app/ creates
// the windows into them.
class QString;
class QWidget;

extern QWidget *Form1;    // quiz window, the main window
extern QWidget *Form2;    // word editor
extern QWidget *AboutBox; // about box

namespace Forms {

// Visible, raised and active; modeless. A null window is left alone.
void Show(QWidget *form);
void Hide(QWidget *form);
// A secondary window is hidden; closing the main window ends the program.
void Close(QWidget *form);

// Sets a window's caption exactly as given: Qt's "[*]" placeholder is kept literal.
void SetCaption(QWidget *form, const QString &caption);

// Makes closing form (by any route) end the program's message loop with code 0.
void EndProgramOnClose(QWidget *form);

} // namespace Forms
