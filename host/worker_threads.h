// Worker threads: the parallel-for, the barrier and the persistent worker pool.
#pragma once

// Stops the pool's threads and frees its tables; does nothing when no pool runs.
void StopWorkerPool();
