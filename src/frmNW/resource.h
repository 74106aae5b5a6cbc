// Resource identifiers of the program.
#pragma once

#define IDI_NOOKWAYER 1
