// Whether a standard stream goes to a terminal, where a progress line may be redrawn in place,
// or to a file or pipe, where it would pile up.
#pragma once

#include <cstdio>

bool streamIsTerminal(std::FILE* stream);
