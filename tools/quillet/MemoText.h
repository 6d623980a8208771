#pragma once
// The memo text rules live with the other helpers the programs share, where
// the organizer's import uses them too.
#include "tools/common/MemoText.h"
