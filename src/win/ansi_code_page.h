// The system's ANSI code page as the core's character rule: UTF-8 when the
// system runs on it, else the lead-byte ranges the system lists (none for a
// single-byte code page). Read once: the code page is fixed while the
// program runs.
#pragma once

#include "core/code_page.h"

const CodePage& SystemCodePage();
