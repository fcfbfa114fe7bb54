// The plain (SSE2) build of the closing row steps, and the choice of a build by vector level.

#include "render/closing_rows.h"

#include "render/closing_rows_kernel.h"

const ClosingRowProcs kClosingRowsPlain = kClosingRowBodies;

const ClosingRowProcs& ClosingRowsFor(VectorLevel level) {
    return level == VECTOR_AVX2 ? kClosingRowsAvx2 : kClosingRowsPlain;
}
