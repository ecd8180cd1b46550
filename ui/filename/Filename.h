// The data-file dialog: names the input data file for one tool and starts that tool.
#pragma once

#include "core/TOLV_Com.h"

#include <QWidget>

#include <memory>

namespace Ui {
class Filename;
}

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

    ~Filename() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Filename(TOLV_Com &com, Platform &platform);

    void Form_Load();
    void cmd_OK_Click();
    void cmd_Ref_Click();
    void cmd_Run_Click();

    std::unique_ptr<Ui::Filename> ui;
    TOLV_Com &m_com;
    Platform &m_platform;
    // The dialog's own open-file dialog: it keeps its filter from one browse to the next.
    std::unique_ptr<OpenFileDialog> m_commonDialog;
};

} // namespace tolv
