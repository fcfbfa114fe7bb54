// Hands the curve widget of the dialog the render engine's spline, point edits and blur; the
// effect joins the two, so that neither the dialog nor the render engine reaches the other.
#pragma once

// Called when the effect's session starts; the widget edits nothing before.
void InstallCurveWidgetServices();
