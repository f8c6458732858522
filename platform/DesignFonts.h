#pragma once
// Fonts and colours of a designed layout. A .ui file gives them as dynamic
// properties of each widget, because .ui fonts have no pixel heights:
//   fontFace   "ＭＳ Ｐゴシック"
//   fontHeight -13          (negative: character height in pixels)
//   fontStyle  "bold italic" (any of bold, italic; empty for regular)
//   fontColor  "#008000"    (text colour)
// A widget without them keeps its parent's font, as the layouts expect. A label
// sizes itself to its text: at least as tall as its font's line height, growing
// downwards only, so that no other control moves.
class QWidget;

namespace DesignFonts {

// Applies the properties of root and of every widget below it. A window also gets
// the light colours its text colours belong to (ClassicLook).
void Apply(QWidget *root);

// Gives a form the face and height every layout's form is designed in, before its
// controls are built: a control built in the desktop's font measures and lays out
// its text in a font no window shows, and does it all again once Apply has set the
// layout's fonts.
void PrepareForm(QWidget *form);

} // namespace DesignFonts
