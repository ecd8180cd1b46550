// The launcher's main window.
#pragma once

#include "core/TOLV_Com.h"

#include <QWidget>

namespace tolv {

class Main : public QWidget
{
    Q_OBJECT
public:
    Main(TOLV_Com &com, Platform &platform, QWidget *parent = nullptr);

private:
    TOLV_Com &m_com;
    Platform &m_platform;
};

} // namespace tolv
