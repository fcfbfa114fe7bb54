// The about box, shown for the host's about selector.
#pragma once

void ShowAboutBox();
