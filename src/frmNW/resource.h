// Resource identifiers of the main window: the program icon, which is also its logo.
#pragma once

#define IDI_NOOKWAYER 1
