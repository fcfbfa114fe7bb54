// The curve widget of the dialog served by the render engine: its spline, point-list edits,
// overlay row and smoothing blur put behind the widget's service table by the effect.

#include "effect/curve_widget_services.h"

#include <vector>

#include "dialog/curve_widget.h"
#include "host/numbered_arrays.h"
#include "render/blur.h"
#include "render/tone_curve.h"

namespace {
void SplineRow(const CurveWidgetPoint* points, int32_t count, int32_t max, int32_t* row) {
    std::vector<CurvePoint> spline(size_t(count > 0 ? count : 0));
    for (size_t i = 0; i < spline.size(); ++i) spline[i] = {points[i].x, points[i].y};
    SplineEvaluateRow(spline.data(), count, max, row);
}

void OverlayRow(int32_t lutArray, const int32_t p[6], int32_t max) {
    CurveToLut(lutArray, 0, ARRAY_SPLINE_DERIVS, ARRAY_SPLINE_WORK, max, p[0], p[1], p[2], p[3],
               p[4], p[5]);
}

int32_t SmoothBlur(int32_t array, int32_t radiusTenths) {
    return GaussianBlurMT(array, radiusTenths, 0, 1);
}
}  // namespace

void InstallCurveWidgetServices() {
    gCurveWidgetServices = {SplineRow, OverlayRow, SortCurvePoints, DeleteCurvePoint, SmoothBlur};
}
