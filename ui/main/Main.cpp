#include "Main.h"
#include "ui_Main.h"

#include "core/Texts.h"
#include "ui/Fonts.h"
#include "ui/filename/Filename.h"

#include <QCommonStyle>
#include <QCursor>
#include <QScreen>
#include <QWindow>

namespace tolv {

Main::Main(TOLV_Com &com, Platform &platform, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::Main>()), m_com(com), m_platform(platform), m_starts(com, platform)
{
    installDesignedFonts(this);
    ui->setupUi(this);
    // The title panel's border is the designed plain black line in every style (Qt's Windows 11
    // style would draw it in its own grey).
    auto *plain = new QCommonStyle;
    plain->setParent(ui->Label2);
    ui->Label2->setStyle(plain);
    m_designedMinimum = minimumSize();
    // The form marks its named separators with a "separator" property, as Qt Designer keeps it.
    for (QAction *action : findChildren<QAction *>())
        if (action->property("separator").toBool())
            action->setSeparator(true);

    // The labels size themselves to their text, in whatever face stands in for the designed one.
    ensurePolished();
    for (QLabel *label : {ui->Label1, ui->Label3, ui->Label4, ui->Label5, ui->Label6, ui->Label8,
                          ui->lbl_Version})
        label->adjustSize();

    connect(ui->cmd_Pre, &QPushButton::clicked, this, &Main::cmd_Pre_Click);
    connect(ui->cmd_Solver, &QPushButton::clicked, this, &Main::cmd_Solver_Click);
    connect(ui->cmd_Post, &QPushButton::clicked, this, &Main::cmd_Post_Click);
    connect(ui->cmd_Viewer, &QPushButton::clicked, this, &Main::cmd_Viewer_Click);
    connect(ui->cmd_End, &QPushButton::clicked, this, &Main::cmd_End_Click);

    connect(ui->mnu_exec_solver, &QAction::triggered, this, &Main::mnu_exec_solver_Click);
    connect(ui->mnu_filename, &QAction::triggered, this, &Main::mnu_filename_Click);
    connect(ui->mnu_Cancel, &QAction::triggered, this, &Main::mnu_Cancel_Click);
    connect(ui->mnu_run_post, &QAction::triggered, this, &Main::mnu_run_post_Click);
    connect(ui->mnu_post_filename, &QAction::triggered, this, &Main::mnu_post_filename_Click);
    connect(ui->mnu_cancel2, &QAction::triggered, this, &Main::mnu_cancel2_Click);
    connect(ui->mnu_Run_Viewer, &QAction::triggered, this, &Main::mnu_Run_Viewer_Click);
    connect(ui->mnu_Viewer_Filename, &QAction::triggered, this, &Main::mnu_Viewer_Filename_Click);
    connect(ui->mnu_Cancel3, &QAction::triggered, this, &Main::mnu_Cancel3_Click);

    ui->cmd_Pre->setFocus();
    // The focus is shown from the start, not only once the keyboard has moved it.
    setAttribute(Qt::WA_KeyboardFocusChange);
}

// The data-file dialog, a window of its own, goes with the main window.
Main::~Main()
{
    delete m_filename;
}

void Main::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fitToScreen(true);
    if (!m_watchingScreen) {
        m_watchingScreen = true;
        connect(windowHandle(), &QWindow::screenChanged, this, [this] { fitToScreen(true); });
    }
}

void Main::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    // The window manager's frame is known only once it has framed the window.
    if (frameGeometry().size() - size() != m_frame)
        fitToScreen(true);
}

void Main::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (frameGeometry().size() - size() != m_frame)
        fitToScreen(true);
    Form_Resize();
}

void Main::fitToScreen(bool shrink)
{
    const QScreen *where = screen();
    if (!where || isMinimized() || isMaximized() || isFullScreen())
        return;
    m_frame = frameGeometry().size() - size();
    const QSize room = where->availableGeometry().size() - m_frame;
    const QSize minimum = m_designedMinimum.boundedTo(room);
    if (minimumSize() != minimum)
        setMinimumSize(minimum);
    if (shrink && (width() > room.width() || height() > room.height()))
        resize(size().boundedTo(room));
}

// The client area never becomes smaller than its minimum (the design, where the screen has room
// for it), in either direction on its own; the minimum size asks the window manager for the same.
void Main::Form_Resize()
{
    if (isMinimized())
        return;
    const QSize designed = minimumSize();
    if (width() < designed.width())
        resize(designed.width(), height());
    if (height() < designed.height())
        resize(width(), designed.height());
}

void Main::cmd_Pre_Click()
{
    TOLV_Com::Exec_Program(m_platform, 1, PreProgram, text::ToolPre, QString());
}

// The popup's item has run when exec() returns. Each button acts only on a choice made in the
// popup it has just shown: a popup closed without a choice leaves 0.
void Main::cmd_Solver_Click()
{
    Menu_Choice = ChoiceNone;
    ui->mnu_solver->exec(QCursor::pos());
    if (Menu_Choice == ChoiceRunSolver)
        m_starts.solverFromRecord();
}

void Main::cmd_Post_Click()
{
    Menu_Choice = ChoiceNone;
    ui->mnu_post->exec(QCursor::pos());
    if (Menu_Choice == ChoiceRunPost)
        m_starts.postFromRecord();
}

void Main::cmd_Viewer_Click() {}

void Main::cmd_End_Click()
{
    m_platform.endProgram();
}

void Main::mnu_exec_solver_Click()
{
    Menu_Choice = ChoiceRunSolver;
}

void Main::mnu_filename_Click()
{
    showFilenameDialog(ModeSolver);
}

void Main::mnu_Cancel_Click()
{
    Menu_Choice = ChoiceNone;
}

void Main::mnu_run_post_Click()
{
    Menu_Choice = ChoiceRunPost;
}

void Main::mnu_post_filename_Click()
{
    showFilenameDialog(ModePost);
}

void Main::mnu_cancel2_Click()
{
    Menu_Choice = ChoiceNone;
}

void Main::mnu_Run_Viewer_Click()
{
    Menu_Choice = ChoiceRunViewer;
}

void Main::mnu_Viewer_Filename_Click()
{
    showFilenameDialog(ModeViewer);
}

void Main::mnu_Cancel3_Click()
{
    Menu_Choice = ChoiceNone;
}

void Main::showFilenameDialog(qint16 mode)
{
    // The mode is in place before the dialog loads, so its set-up sees it.
    m_com.Exec_Mode = mode;
    Menu_Choice = mode;
    // A closed dialog is done with, even before it is deleted: the next showing makes a new one.
    if (!m_filename || !m_filename->isVisible())
        m_filename = new Filename(m_com, m_platform);
    m_filename->showAndRaise();
}

} // namespace tolv
