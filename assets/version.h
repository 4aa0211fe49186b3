// One place for the program's version; the version resource reads it.
#pragma once

#define QUORVANE_VERSION_NUMBERS 1, 0, 0, 0
#define QUORVANE_VERSION_TEXT "1.0.0.0"
#define QUORVANE_PRODUCT_NAME "Quorvane"
