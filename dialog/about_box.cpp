// The about box.

#include "dialog/about_box.h"

#include "dialog/message_boxes.h"
#include "dialog/text_expansion.h"

void ShowAboutBox() {
    ShowInfoMessage("%s\n\nB&W Effects by Quillmoor", FilterTitle());
}
