// Resource identifiers of the about window: its logo and its close image at
// 100, 150 and 200 percent (icon groups of one PNG image each), and the
// pointer over its links (one cursor of three sizes). The program's resource
// script includes hpABOUT.rc.
#pragma once

#define IDB_HOLPINE 10
#define IDB_END 11
#define IDC_LINK_HAND 12
#define IDB_HOLPINE_150 13
#define IDB_HOLPINE_200 14
#define IDB_END_150 15
#define IDB_END_200 16
