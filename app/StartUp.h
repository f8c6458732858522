#pragma once
// The program's start-up, split so that tests can run it without the message loop.

// Sets the title and the icon and creates the three windows in their fixed order:
// Form1 (the main window), Form2, AboutBox. Needs the application object.
void CreateWindows();

// The whole program on an existing application object: the windows, then the
// message loop showing the main window. Returns the exit code, always 0; a
// start-up failure is reported first.
int RunProgram();
