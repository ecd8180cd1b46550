// The linked solver start: runs the analysis-type batch file that lies beside the run record's
// analysis data file, without asking for a file name.
#pragma once

#include "core/TOLV_Com.h"

namespace tolv {

// Reloads the run record, checks that the data file's name (extension included) has at most
// 12 characters, sets File_Bat to the data path with ".bat" in place of the first ".ana" of the
// file's own name and starts it. A long name, a missing ".ana", or a run.dat that cannot be read
// or holds no whole record is told to the user; nothing is started then.
void solverStartFromRecord(TOLV_Com &com, Platform &platform);

} // namespace tolv
