#include "Filename.h"

#include "ui_Filename.h"

#include "core/RunCommand.h"
#include "core/Texts.h"

#include <QCloseEvent>
#include <QPointer>

namespace tolv {

namespace {
QPointer<Filename> g_instance;
}

Filename::Filename(TOLV_Com &com, Platform &platform)
    : ui(std::make_unique<Ui::Filename>()),
      m_com(com),
      m_platform(platform),
      m_commonDialog(platform.newOpenFileDialog())
{
    setAttribute(Qt::WA_DeleteOnClose);
    ui->setupUi(this);
    ui->opt_Solver->setId(ui->opt_Solver_0, 0);
    ui->opt_Solver->setId(ui->opt_Solver_1, 1);
    ui->opt_Solver->setId(ui->opt_Solver_2, 2);
    // The label sizes itself to its text. It grows upwards from its designed bottom edge, so that a
    // font with a taller line than the designed one never covers the file-name field below it.
    const int labelBottom = ui->Label1->geometry().bottom();
    ui->Label1->adjustSize();
    ui->Label1->move(ui->Label1->x(), labelBottom + 1 - ui->Label1->height());

    connect(ui->cmd_OK, &QPushButton::clicked, this, &Filename::cmd_OK_Click);
    connect(ui->cmd_Ref, &QPushButton::clicked, this, &Filename::cmd_Ref_Click);
    connect(ui->cmd_Run, &QPushButton::clicked, this, &Filename::cmd_Run_Click);

    Form_Load();
}

Filename::~Filename() = default;

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

void Filename::closeEvent(QCloseEvent *event)
{
    // A closed dialog is gone at once for the next showing, even before Qt deletes it.
    if (g_instance == this)
        g_instance = nullptr;
    QWidget::closeEvent(event);
}

void Filename::Form_Load()
{
    ui->frm_Solver->setVisible(false);
    QString tool;
    switch (m_com.Exec_Mode) {
    case ModeSolver:
        tool = text::ToolSolver;
        break;
    case ModePost:
        tool = text::ToolPost;
        break;
    case ModeViewer:
        tool = text::ToolViewer;
        break;
    default:
        break;
    }
    ui->cmd_Run->setText(tool + text::RunSuffix);
    ui->cmd_Ref->setFocus();
}

void Filename::cmd_OK_Click()
{
    close();
}

void Filename::cmd_Ref_Click()
{
    m_commonDialog->setCancelError(true);
    m_commonDialog->setTitle(text::BrowseTitle);
    if (m_com.Exec_Mode == ModeSolver)
        m_commonDialog->setFilter(text::SolverFilter);
    else if (m_com.Exec_Mode == ModePost)
        m_commonDialog->setFilter(text::PostFilter);
    m_commonDialog->setFlags(1);
    const std::optional<QString> chosen = m_commonDialog->showOpen();
    if (!chosen)
        return;
    m_com.Ref_Filename = *chosen;
    ui->txt_filename->setText(m_com.Ref_Filename);
}

void Filename::cmd_Run_Click()
{
    runCommand(m_com, m_platform, ui->txt_filename->text());
}

} // namespace tolv
