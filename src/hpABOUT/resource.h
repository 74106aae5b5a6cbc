// Resource identifiers of the about window: its logo, its close image and the
// pointer over its links. The program's resource script includes this header.
#pragma once

#define IDB_HOLPINE 10
#define IDB_END 11
#define IDC_LINK_HAND 12
