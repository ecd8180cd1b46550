#include "Filename.h"

#include <QPointer>

namespace tolv {

namespace {
QPointer<Filename> g_instance;
}

Filename::Filename(TOLV_Com &com, Platform &platform) : m_com(com), m_platform(platform)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

Filename *Filename::showInstance(TOLV_Com &com, Platform &platform)
{
    if (!g_instance)
        g_instance = new Filename(com, platform);
    g_instance->show();
    g_instance->raise();
    g_instance->activateWindow();
    return g_instance;
}

Filename *Filename::instance()
{
    return g_instance;
}

} // namespace tolv
