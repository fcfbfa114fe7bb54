// The worker pool's built-in jobs: grain noise, test patterns, resampling and range
// normalisation of numbered arrays. Each is a ThreadRoutine: the caller sets job parameters
// 1..6 (gJob.poolParameters) and runs it with RunPoolRoutine; thread i takes the rows i,
// i + N, ... Everything but the grain noise gives the same result on any number of threads.
#pragma once

#include <cstdint>
#include <vector>

// One grain value on 0..max (max 255 or 32768): a Gaussian around max / 2 drawn from the
// calling thread's random source.
int32_t GrainNoiseValue(int32_t max);
// The same from a generator state the caller keeps (a pixel loop keeps it in a register
// rather than in the thread's storage).
int32_t GrainNoiseFromState(uint32_t& state, int32_t max);
// count values in a row from the state, as count calls of GrainNoiseFromState give them: in one
// loop the table reads of successive values overlap.
void GrainNoiseRowFromState(uint32_t& state, int32_t max, int32_t* values, int32_t count);

// 1 array, 2 width, 3 rows, 4 colour amount (0..100), 5 seed, 6 maximum. Run with the
// barrier. Below 100 % colour, plane 0 of every row gets grey noise; from 1 %, three planes
// get colour noise (planes 0..2 at 100 %, else 1..3). Stream i of the job's N threads starts
// at i * 4095 + seed and draws rows i, i + N, ... in turn, their grey planes first, then from
// the start again their colour planes; any thread may draw any row (jumping to its place in
// the stream), and thread i is left at its stream's end. Writes are clipped to the array.
void GrainPassJob(int32_t threadIndex);
// What the grain job draws for one array: which planes of each row, from which stream.
// Stream t of `streams` draws rows t, t + streams, ... in turn from its seed, first the grey
// plane of all of them, then from the seed again their colour planes. Filled by GrainRowsFor;
// values is the scratch of the thread that makes rows with it.
struct NumberedArray;
struct GrainRows {
    const NumberedArray* array;
    int32_t width, rows, streams, max;
    uint32_t seed;  // stream t starts at seed plus t times the job's seed stride
    bool grey, colour;
    bool stream;          // rows of one plane streamed past the caches (see FieldRowStoreLevels)
    int32_t colourPlane;  // first of the three colour planes
    std::vector<int32_t> values;
};
// The draws of GrainPassJob with parameters 1..6 as given (width and rows clipped to the
// array) and `streams` threads.
GrainRows GrainRowsFor(int32_t array, int32_t width, int32_t rows, int32_t colour, uint32_t seed,
                       int32_t max, int32_t streams);
// Row y of a 2-byte array as GrainPassJob stores it, into out (the array's row layout) rather
// than the array: the planes the job draws; the others are left as they are.
void GrainRowMake(GrainRows& g, int32_t y, uint16_t* out);
// The state of stream t after all its rows: where GrainPassJob leaves thread t's random source.
uint32_t GrainStreamEnd(const GrainRows& g, int32_t stream);

// 1 array, 2 pattern 1..5: chequer patterns of the cell parities, and (5) a pattern of the
// cell's angle around the array's centre. Every plane of a cell gets the value.
void GradientMaskJob(int32_t threadIndex);
// 1 target array, 2 source array, 3 mode flag (nearest when set, else spline): the current
// rectangle of the image, each pixel sampled from the source scaled to the image size,
// stored at (x - left, y - top) of the target for every plane both arrays have.
void ResampleJob(int32_t threadIndex);
// 1 array, 2 low, 3 high: every element v becomes (v - low) * m / (high - low) clamped to
// 0..m (m 255 for 1-byte elements, else 32768). Equal bounds leave the array unchanged.
void NormaliseRangeJob(int32_t threadIndex);
// The stretch of NormaliseRangeJob as a table of the levels 0 .. values - 1 (high != low):
// table[v] = (v - low) * m / (high - low) clamped to 0..m. The table's storage is reused.
void RangeStretchTable(int64_t low, int64_t high, int64_t m, int64_t values,
                       std::vector<uint16_t>& table);
