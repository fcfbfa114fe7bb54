// Separable Gaussian blurs in place on numbered arrays of 8- or 16-bit elements: a direct
// integer-kernel convolution for small radii and a third-order recursive filter whose cost
// does not grow with the radius. Both share their lines out among threads.
#pragma once

#include <atomic>
#include <cstdint>

constexpr int32_t kMaxKernelHalfWidth = 127;  // 2h + 1 weights must fit 255 entries

// One blur: everything a pass needs, so that several blurs (and the render's own thread
// count) never share state. Filled by the caller before the passes run; read-only during
// them.
struct BlurJob {
    int32_t array;         // numbered array blurred in place (1- or 2-byte elements)
    int32_t radiusTenths;  // radius in tenths of a pixel
    int32_t flag;          // recursive blur: edge flag; kernel blur: trim flag
    int32_t threadCount;   // threads the lines are shared out among; 1 or more
};

// Kernel blur of array n: 1 done; 0 refused (n outside 0..99, no storage, elements wider
// than 2 bytes, half-width above kMaxKernelHalfWidth). multiProcessor above 0 starts one
// thread per processor (at most 16), else the caller does all lines.
int32_t GaussianBlurMT(int32_t n, int32_t radiusTenths, int32_t trim, int32_t multiProcessor);
// Recursive blur of array n: 1 done (radius 0 does nothing); 0 refused as above. The edge
// flag 1 starts each sweep from the line's end sample repeated; 0 from the mirrored line.
int32_t RecursiveBlurMT(int32_t n, int32_t radiusTenths, int32_t multiProcessor, int32_t edge);

// The passes: pass 1 runs along rows, pass 2 along columns; pass 2 may start only when pass
// 1 has finished on every thread. Each call handles the lines of threadIndex and does
// nothing when the job's array cannot be blurred.
void GaussianBlurPass1(const BlurJob& job, int32_t threadIndex);
void GaussianBlurPass2(const BlurJob& job, int32_t threadIndex);
void RecursiveBlurPass1(const BlurJob& job, int32_t threadIndex);
void RecursiveBlurPass2(const BlurJob& job, int32_t threadIndex);
// Pass 2 of the recursive blur works columns in groups of this many adjacent elements of a
// row, each thread one run of adjacent groups: with as many threads as groups, the call of
// threadIndex g sweeps exactly elements g * 64 .. g * 64 + 63 of every row (the fields count
// each group straight after that call).
constexpr int32_t kBlurColumnGroupElements = 64;
// Pass 1 of job with the rows read from array source, not from job.array: job.array becomes
// source's rows blurred without a copy of source first (pass 2 then goes on in place). Only
// when RecursiveBlurReadsFrom: source laid out as job.array, both blurrable, radius above 0.
bool RecursiveBlurReadsFrom(const BlurJob& job, int32_t source);
void RecursiveBlurPass1From(const BlurJob& job, int32_t source, int32_t threadIndex);

// Makes the rows of a row pass that blurs them as they are made: row y (x * z elements of
// 2 bytes) at out, on the thread of threadIndex. A field made this way is written to memory
// once, by the pass, instead of made in a sweep of its own and read back by the next.
struct BlurRowMaker {
    void (*make)(void* context, int32_t threadIndex, int32_t y, uint16_t* out);
    void* context;
    // Groups of rows the threads claim as they come (rows of some fields cost more to make
    // than others); set to 0 before the pass.
    std::atomic<int32_t>* nextGroup;
};
// True when pass 1 of job can make its rows: a radius above 0, an array of 2-byte elements of
// at most 64 channels.
bool RecursiveBlurMakesRows(const BlurJob& job);
// Pass 1 of job with every row made by maker, never read from the array; job.array ends up
// as the made rows blurred. Only when RecursiveBlurMakesRows.
void RecursiveBlurPass1Made(const BlurJob& job, const BlurRowMaker& maker, int32_t threadIndex);

// The recursive passes as worker-pool routines: pool parameters 1, 2, 3 are the array, the
// radius in tenths and the edge flag; the thread count is the pool job's own.
void RecursiveBlurPass1Job(int32_t threadIndex);
void RecursiveBlurPass2Job(int32_t threadIndex);

// Half-width of the kernel blur before trimming, for a radius in tenths.
int32_t GaussianKernelHalfWidth(int32_t radiusTenths);
