// The AVX2 build of the closing row steps: the plain bodies compiled for 256-bit registers,
// used only where the processor has them. The grain's channel quotients are taken in doubles,
// exact for every level, without contraction: each pixel gets the plain build's values.

#include "render/closing_rows.h"

#include "render/closing_rows_kernel.h"

const ClosingRowProcs kClosingRowsAvx2 = kClosingRowBodies;
