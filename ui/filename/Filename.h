// The data-file dialog: names the input data file for one tool and starts that tool.
#pragma once

#include "core/Starts.h"
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
    // Runs the load step. The dialog deletes itself when it is closed.
    Filename(TOLV_Com &com, Platform &platform);
    ~Filename() override;

    // Shows the dialog without blocking its opener and brings it to the front.
    void showAndRaise();

private:

    void Form_Load();
    void cmd_OK_Click();
    void cmd_Ref_Click();
    void cmd_Run_Click();
    // The folder that a new open-file dialog starts in.
    QString browseFolder();

    std::unique_ptr<Ui::Filename> ui;
    TOLV_Com &m_com;
    Platform &m_platform;
    // The Run of this dialog's Run button.
    Starts m_starts;
    // The open-file dialog's filter, kept from one browse to the next while this dialog lives.
    QString m_filter;
};

} // namespace tolv
