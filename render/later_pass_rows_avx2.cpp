// The AVX2 build of the row steps of passes 2 and 3: the plain bodies compiled for 256-bit
// registers (eight levels a step, table reads gathered), used only where the processor has
// them. Integer arithmetic throughout but for the paper's highlight quotient, which needs no
// contraction either: each pixel gets the plain build's values.

#include "render/later_pass_rows.h"

#include "render/later_pass_rows_kernel.h"

const LaterPassRowProcs kLaterPassRowsAvx2 = kLaterPassRowBodies;
