#pragma once
#define WD_VERSION_MAJOR 1
#define WD_VERSION_MINOR 0
#define WD_VERSION_PATCH 0
#define WD_VERSION_TEXT "1.0.0"
