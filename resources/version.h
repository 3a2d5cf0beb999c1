#pragma once
#define WD_VERSION_MAJOR 1
#define WD_VERSION_MINOR 0
#define WD_VERSION_PATCH 0
#define WD_VERSION_TEXT "1.0.0"
// The year of the copyright notices (version information of the program and installer).
#define WD_COPYRIGHT_YEAR "2026"
