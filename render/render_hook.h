// The render hook: prepares what the pixel pipeline needs for the current rectangle, runs it
// on all workers, then does the preview-only work (timing text, blown highlights, split
// line).
#pragma once

#include <cstdint>

#include "render/render_rows.h"

struct EffectContext;

// Whether this call renders: always for the final image and for thumbnails; in the
// dialog's previews only with the preview switch on and no deferred drag (unless Instant
// Preview is on).
bool RenderWanted(const EffectContext& context);

// At a run's start, before the host delivers the image: a run that will render on every
// processor starts its worker pool, whose threads then start up while the host copies.
void RenderRunStart(const EffectContext& context);

// Fills gRender.plan with the geometry, surfaces and switches of the current rectangle.
// False when there is nothing to render into (no buffers, empty rectangle).
bool RenderPlanBuild(const EffectContext& context);
// Makes the work images and lookup rows the passes need and the per-render values of the
// conversion. False when an allocation failed (the host's result is then -128).
bool RenderPrepareTables(const EffectContext& context);

// Copies row `row` of a lookup array of `levels` entries (any element size) into values;
// false when the array is missing or too small.
bool CopyLookupRow(int32_t array, int32_t row, int32_t levels, std::vector<int32_t>& values);

// The stripes that mark blown highlights in the output: returns the count of pixels whose
// three output channels reach level 255 x mult while no source channel does.
int64_t MarkBlownHighlights(const RenderPlan& plan);
// The dashed split line over the output (split view values above 1, dialog only).
void DrawSplitLine(const RenderPlan& plan);
// The timing text "%.3f s -> %.1f s": the time of this rectangle and the time projected for
// the whole image. An empty rectangle projects nothing.
void FormatTimingText(char* text, size_t size, double elapsedMs, int64_t rectanglePixels,
                      int64_t imagePixels);
