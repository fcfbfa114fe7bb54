// The worker pool.

#include "host/worker_threads.h"

// No pool is started yet, so there is nothing to stop.
void StopWorkerPool() {}
