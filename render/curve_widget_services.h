// Hands the curve widget of the dialog the render engine's spline, point edits and blur.
#pragma once

// Called when the effect's session starts; the widget edits nothing before.
void InstallCurveWidgetServices();
