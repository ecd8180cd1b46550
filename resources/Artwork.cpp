#include "Artwork.h"

namespace tolv::artwork {

QIcon appIcon()
{
    return QIcon(IconPath);
}

} // namespace tolv::artwork
