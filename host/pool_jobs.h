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
