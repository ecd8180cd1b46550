// Stand-ins for the windows' designed font face where the system lacks it.
#pragma once

namespace tolv {

// The forms store "ＭＳ Ｐゴシック". Where that face is missing, Qt tries the same face under its
// Latin name, then a Japanese sans-serif that Linux distributions ship. Safe to call more than once.
void installFontSubstitutes();

} // namespace tolv
