// The plain (SSE2) build of the row steps of passes 2 and 3, and the choice of a build by
// vector level.

#include "render/later_pass_rows.h"

#include "render/later_pass_rows_kernel.h"

const LaterPassRowProcs kLaterPassRowsPlain = kLaterPassRowBodies;

const LaterPassRowProcs& LaterPassRowsFor(VectorLevel level) {
    return level == VECTOR_AVX2 ? kLaterPassRowsAvx2 : kLaterPassRowsPlain;
}
