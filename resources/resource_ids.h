// Resource identifiers of WattDial.scr, shared by the resource script and the code.
#pragma once

#define WD_ICON_PROGRAM 1
#define WD_ICON_DIALOG 10
#define WD_ICON_TAB0 20
#define WD_ICON_TAB1 21
#define WD_ICON_TAB2 22
#define WD_ICON_TAB3 23
#define WD_ICON_GLYPH_OK 30
#define WD_ICON_GLYPH_CLOSE 31
#define WD_ICON_GLYPH_CANCEL 32
