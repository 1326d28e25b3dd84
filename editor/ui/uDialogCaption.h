// Room for a dialog's caption: a window manager cuts a title that does not
// fit beside its buttons, and a small fixed-size dialog would lose it.
#pragma once

class QWidget;

// The width a window needs to show its title whole: the title in a bold font
// (most title bars use one) and room for the frame's buttons.
int CaptionWidth(const QWidget *window);
