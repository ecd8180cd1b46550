// The data-file dialog: names the input data file for one tool and starts that tool.
#pragma once

#include "core/TOLV_Com.h"

#include <QWidget>

namespace tolv {

class Filename : public QWidget
{
    Q_OBJECT
public:
    // Shows the one dialog of the process without blocking: creates it (running its load step) when
    // it does not exist, otherwise brings the open one to the front.
    static Filename *showInstance(TOLV_Com &com, Platform &platform);
    // The open dialog, or null.
    static Filename *instance();

private:
    Filename(TOLV_Com &com, Platform &platform);
    TOLV_Com &m_com;
    Platform &m_platform;
};

} // namespace tolv
