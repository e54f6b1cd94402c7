// What the app tests share: the recording view, scratch folders and CR LF text.
#pragma once

#include "support/RecordingView.h"
#include "support/TestSupport.h"
