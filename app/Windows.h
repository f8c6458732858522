#pragma once
// Typed views of the three window references, for app/ and the tests only; the
// windows themselves reach one another through the QWidget references in Forms.h.
#include "Forms.h"
#include "TAboutBox.h"
#include "TForm1.h"
#include "TForm2.h"

inline TForm1 *QuizForm() { return static_cast<TForm1 *>(Form1); }
inline TForm2 *EditorForm() { return static_cast<TForm2 *>(Form2); }
inline TAboutBox *AboutForm() { return static_cast<TAboutBox *>(AboutBox); }
