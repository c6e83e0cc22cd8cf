#pragma once

// The program's version, shared by the resource script and the code.
#define LUMORA_VERSION_MAJOR 1
#define LUMORA_VERSION_MINOR 0
#define LUMORA_VERSION_PATCH 0
#define LUMORA_VERSION_BUILD 1
#define LUMORA_VERSION_COMMA 1, 0, 0, 1
#define LUMORA_VERSION_TEXT "1.0.0.1"
#define LUMORA_VERSION_WTEXT L"1.0.0.1"
