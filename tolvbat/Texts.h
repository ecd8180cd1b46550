// tolvbat's own lines in the user's language, as the system's command interpreter speaks it:
// Japanese under a Japanese locale, English under any other. Each is a template in which %1, %2
// and %3 stand for what QString::arg() puts in.
#pragma once

#include <QString>

namespace tolv::batch {

enum class Text {
    Pause,           // the PAUSE prompt
    Continue,        // the console window's button at a PAUSE
    Usage,
    CannotRead,      // %1 the batch file, %2 why
    TooLarge,        // %1 the batch file
    NulByte,         // %1 the line's number
    NotFound,        // %1 the program's name, %2 the status a shell would end with
    CannotStart,     // %1 the program, %2 the system's reason, %3 the status a shell would end with
    EndedWithStatus, // %1 the program, %2 its exit status
    EndedBySignal,   // %1 the program, %2 the signal's number, %3 its name
};

// Whether the user reads Japanese: the messages locale (LC_ALL, else LC_MESSAGES, else LANG, as
// the C library chooses) is Japanese, in UTF-8, the encoding in which tolvbat writes; a Japanese
// locale in another encoding (ja_JP.eucJP) could not show the lines and gets English.
bool japanese();

// The line's template in the user's language.
QString text(Text which);

} // namespace tolv::batch
