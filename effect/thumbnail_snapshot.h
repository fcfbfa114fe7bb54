// The copy of the current settings that a thumbnail run takes before it renders the presets
// and puts back afterwards; the six centre points are not part of it.
#pragma once

void SaveThumbnailSnapshot();
// Working values of controls 0..309 to their defaults (no windows touched, no events), every
// curve the identity, the selective tables and ranges to their start.
void LoadControlDefaults();
void RestoreThumbnailSnapshot();
