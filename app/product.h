// Names and version of the product, written once. Included by the code and by
// the resource scripts (windres), so it holds nothing but preprocessor defines.
#ifndef TARVELO_APP_PRODUCT_H
#define TARVELO_APP_PRODUCT_H

#define TARVELO_TITLE "Tarvelo"
#define TARVELO_EXE_NAME "Tarvelo.exe"
#define TARVELO_COMPANY "Hobrast"
#define TARVELO_DESCRIPTION "Tarvelo - optical drive tray control"
#define TARVELO_COPYRIGHT "Copyright (C) 2026 Hobrast"

#define TARVELO_VERSION_MAJOR 1
#define TARVELO_VERSION_MINOR 0
#define TARVELO_VERSION_PATCH 0
#define TARVELO_VERSION_BUILD 0
#define TARVELO_VERSION_STRING "1.0.0.0"
// The version as the About window shows it.
#define TARVELO_VERSION_CAPTION "v1.0 Free"

#endif
