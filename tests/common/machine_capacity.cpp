// The machine's own speed-up on all processors, measured with Windows threads made the way
// the plug-in makes its own, so that the figure holds for the plug-in under the same system.

#include "common/machine_capacity.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <vector>

namespace {
constexpr int32_t kRounds = 5;
constexpr int32_t kComputePieces = 8000;
constexpr size_t kComputeWords = 4096;  // 16 kB: stays in the first-level cache
constexpr size_t kCopyPieceBytes = size_t(1) << 20;
constexpr int32_t kCopyBlockPieces = 256;  // 256 MB each way, the size of a large image's planes
constexpr int32_t kCopyPieces = 4 * kCopyBlockPieces;  // each block copied four times over

struct Work {
    void (*piece)(Work& work, int32_t index, std::vector<uint32_t>& scratch);
    int32_t pieces;
    std::atomic<int32_t> next{0};
    std::atomic<uint32_t> sink{0};
    HANDLE start = nullptr;  // set when the clock starts
    std::vector<uint8_t> from, to;
};

void ComputePiece(Work& work, int32_t index, std::vector<uint32_t>& scratch) {
    for (int32_t pass = 0; pass < 100; ++pass)
        for (uint32_t& v : scratch) v = v * 3u + (v >> 3) + uint32_t(index + pass);
    work.sink.fetch_add(scratch[0], std::memory_order_relaxed);
}

void CopyPiece(Work& work, int32_t index, std::vector<uint32_t>&) {
    const size_t at = size_t(index % kCopyBlockPieces) * kCopyPieceBytes;
    memcpy(work.to.data() + at, work.from.data() + at, kCopyPieceBytes);
}

DWORD WINAPI WorkThread(LPVOID parameter) {
    Work& work = *static_cast<Work*>(parameter);
    std::vector<uint32_t> scratch(kComputeWords, 1);
    WaitForSingleObject(work.start, INFINITE);
    for (int32_t i; (i = work.next.fetch_add(1)) < work.pieces;) work.piece(work, i, scratch);
    return 0;
}

// The threads are made and waiting before the clock starts: making one costs milliseconds
// under Wine, a serial part that is not the machine's.
double Seconds(Work& work, int32_t threads) {
    work.next = 0;
    work.start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<HANDLE> handles;
    for (int32_t i = 1; i < threads; ++i)
        if (HANDLE h = CreateThread(nullptr, 0, WorkThread, &work, 0, nullptr))
            handles.push_back(h);
    Sleep(50);  // every thread at the gate
    const auto start = std::chrono::steady_clock::now();
    SetEvent(work.start);
    WorkThread(&work);
    WaitForMultipleObjects(DWORD(handles.size()), handles.data(), TRUE, INFINITE);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (HANDLE h : handles) CloseHandle(h);
    CloseHandle(work.start);
    return seconds;
}

double MedianRatio(Work& work, int32_t threads) {
    Seconds(work, threads);  // touches every page and starts the system's thread machinery
    std::vector<double> ratios;
    for (int32_t round = 0; round < kRounds; ++round) {
        const double one = Seconds(work, 1);
        ratios.push_back(one / Seconds(work, threads));
    }
    std::sort(ratios.begin(), ratios.end());
    return ratios[kRounds / 2];
}
}  // namespace

MachineCapacity MeasureMachineCapacity(int32_t threads) {
    Work compute;
    compute.piece = ComputePiece;
    compute.pieces = kComputePieces;
    Work copying;
    copying.piece = CopyPiece;
    copying.pieces = kCopyPieces;
    copying.from.assign(kCopyPieceBytes * kCopyBlockPieces, 1);
    copying.to.assign(kCopyPieceBytes * kCopyBlockPieces, 0);
    return {MedianRatio(compute, threads), MedianRatio(copying, threads)};
}
