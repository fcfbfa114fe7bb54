// Identity check for threaded jobs: a job must give the same output whatever the number of
// threads. Runs the job once per thread count, with the processor count pinned to that
// count and the worker pool restarted, and compares every output with the one-thread output.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <vector>

#include "host/numbered_arrays.h"
#include "host/worker_threads.h"

using JobOutput = std::vector<uint8_t>;

// Runs `job` (which renders and returns its output bytes) for each thread count; the first
// count is the reference. The pool runs at the pinned count during the call.
inline ::testing::AssertionResult SameOutputForThreadCounts(
    const std::function<JobOutput()>& job, std::initializer_list<int32_t> counts = {1, 2, 3, 8}) {
    JobOutput reference;
    int32_t referenceCount = 0;
    for (int32_t count : counts) {
        SetProcessorCountOverride(count);
        StartWorkerPool();
        JobOutput output = job();
        StopWorkerPool();
        SetProcessorCountOverride(0);
        if (referenceCount == 0) {
            reference = std::move(output);
            referenceCount = count;
            continue;
        }
        if (output.size() != reference.size())
            return ::testing::AssertionFailure()
                   << count << " threads gave " << output.size() << " bytes, " << referenceCount
                   << " threads " << reference.size();
        for (size_t i = 0; i < output.size(); ++i) {
            if (output[i] != reference[i])
                return ::testing::AssertionFailure()
                       << count << " threads differ from " << referenceCount
                       << " threads first at byte " << i << ": " << int(output[i]) << " vs "
                       << int(reference[i]);
        }
    }
    return ::testing::AssertionSuccess();
}

// The bytes of numbered array n (empty when absent): the usual output of a pool job.
inline JobOutput ArrayBytes(int32_t n) {
    const NumberedArray& array = gArrays[n];
    if (!array.base) return {};
    return JobOutput(array.base, array.base + array.byteSize);
}
