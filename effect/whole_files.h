// The whole-file reader and safe writer now live with the framework, where the dialog's skin
// file uses them too; effect code may include either header.
#pragma once

#include "host/whole_files.h"
