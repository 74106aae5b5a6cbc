// Resource identifiers of the program.
#pragma once

#define IDI_NOOKWAYER 1

// The about window: its logo, its close image and the pointer over its links.
#define IDB_HOLPINE 10
#define IDB_END 11
#define IDC_LINK_HAND 12
