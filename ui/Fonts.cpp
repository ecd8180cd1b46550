#include "Fonts.h"

#include "core/Texts.h"

#include <QFont>
#include <QStringList>

namespace tolv {

void installFontSubstitutes()
{
    if (!QFont::substitutes(text::FontFace).isEmpty())
        return;
    QFont::insertSubstitutions(text::FontFace,
                               {QStringLiteral("MS PGothic"), QStringLiteral("Noto Sans CJK JP")});
}

} // namespace tolv
