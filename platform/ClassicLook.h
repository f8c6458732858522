#pragma once
// The light colours the layouts' text colours were chosen against: a light button
// face, white edit boxes and black text. The program's own windows keep them under
// any desktop theme, so navy, maroon or red words never land on a dark background.
// Message boxes and file dialogs follow the theme: they set no colours of their own.
class QPalette;
class QWidget;

namespace ClassicLook {

// Every colour role of every group, so that nothing comes from the theme.
QPalette Palette();

// Gives window, its controls and its menus (which open as windows of their own)
// the palette.
void Apply(QWidget *window);

} // namespace ClassicLook
