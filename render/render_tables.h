// Tables the render hook makes before the workers start: the tonal look, the curve lookup
// rows of the tone channels, the selective and bend rows, the tonal mask curve and the
// strength-by-tone tables. All run on the host's thread.
#pragma once

#include <cstdint>

#include "render/grey_conversion.h"
#include "render/render_rows.h"

// The tonal look's lookup row (ARRAY_TONALLOOK_LUT) for CTL_TONALLOOK_TYPE; while the
// intensity is 0 the dialog makes it once, with the identity. True when the pipeline is to
// apply it; false when the intensity is 0 and for the list's separator (type 5), which names
// no look.
bool PrepareTonalLook(const int32_t* controlValues, bool dialogUp);
// Seed of the aging texture's lattice for the rendering under way when its randomize control
// is 0; drawn by AgingNewRendering (on the host's thread) when a rendering starts, read by
// PrepareAging for each of its rectangles.
extern uint32_t gAgingRenderingSeed;
// A rendering starts (each preview re-render, each final run): new aging tables.
void AgingNewRendering();
// Seeds the noise lattice of the aging texture when aging is on.
void PrepareAging(const int32_t* controlValues);
// Rows of ARRAY_CURVE_LUTS for the channels the plan marks in use. A channel whose row
// could not be made is taken out of use.
void PrepareToneLuts(RenderPlan& plan, const int32_t* controlValues);
// Rows of ARRAY_SELECTIVE_LUTS for every row of the table with a brightness or contrast;
// released when no row has one.
void PrepareSelectiveLuts(const SelectiveTables& tables, int32_t max);
// The selective tables of the session (ARRAY_SELECTIVE_TABLE and ARRAY_SELECTIVE_RANGES) as
// the render reads them; absent arrays read as 0.
SelectiveTables ReadSelectiveTables();
// The graduated filter's and the diffusion's brightness/contrast rows, the tonal mask curve
// and the strength-by-tone tables, each when its controls use it.
void PrepareBendRows(const RenderPlan& plan, const int32_t* controlValues);
// Strength by tone: trunc(sqrt(i / 512) x 255 - i) stored in a byte (negatives as 0).
int32_t StrengthByTone(int32_t i);
