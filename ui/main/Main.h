// The launcher's main window: one button per tool of the suite, the popups behind the solver
// and postprocessor buttons, and the end button.
#pragma once

#include "core/Starts.h"
#include "core/TOLV_Com.h"
#include "ui/filename/Filename.h"

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class Main;
}

namespace tolv {

class Main : public QWidget
{
    Q_OBJECT
public:
    Main(TOLV_Com &com, Platform &platform, QWidget *parent = nullptr);
    ~Main() override;

    // The code of the item chosen in the popup last shown; 0 when it was closed without a choice.
    qint16 menuChoice() const { return Menu_Choice; }
    // The open data-file dialog, or null.
    Filename *filenameDialog() const { return m_filename; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Form_Resize();
    // The minimum size is the designed one where the screen's free area (less the window
    // manager's frame) holds it, and no larger than that area otherwise; with `shrink` the
    // window itself is made to fit that area too.
    void fitToScreen(bool shrink);

    void cmd_Pre_Click();
    void cmd_Solver_Click();
    void cmd_Post_Click();
    void cmd_Viewer_Click();
    void cmd_End_Click();

    void mnu_exec_solver_Click();
    void mnu_filename_Click();
    void mnu_Cancel_Click();
    void mnu_run_post_Click();
    void mnu_post_filename_Click();
    void mnu_cancel2_Click();
    void mnu_Run_Viewer_Click();
    void mnu_Viewer_Filename_Click();
    void mnu_Cancel3_Click();

    // Records a file-name item's mode and shows the data-file dialog in it.
    void showFilenameDialog(qint16 mode);

    std::unique_ptr<Ui::Main> ui;
    TOLV_Com &m_com;
    Platform &m_platform;
    // The linked starts of the solver and postprocessor buttons.
    Starts m_starts;
    qint16 Menu_Choice = ChoiceNone;
    QSize m_designedMinimum;
    QSize m_frame; // the window manager's frame, as last seen
    bool m_watchingScreen = false;
    // The one data-file dialog: made on first use, gone once it is closed.
    QPointer<Filename> m_filename;
};

} // namespace tolv
