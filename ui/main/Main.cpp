#include "Main.h"

namespace tolv {

Main::Main(TOLV_Com &com, Platform &platform, QWidget *parent)
    : QWidget(parent), m_com(com), m_platform(platform)
{
    setWindowTitle(QStringLiteral("TOLV/Strel -Main"));
}

} // namespace tolv
