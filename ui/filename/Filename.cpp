#include "Filename.h"

#include "ui_Filename.h"

#include "core/Texts.h"
#include "platform/FileNames.h"
#include "ui/Fonts.h"

namespace tolv {

Filename::Filename(TOLV_Com &com, Platform &platform)
    : ui(std::make_unique<Ui::Filename>()),
      m_com(com),
      m_platform(platform),
      m_starts(com, platform)
{
    setAttribute(Qt::WA_DeleteOnClose);
    installDesignedFonts(this);
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

void Filename::showAndRaise()
{
    show();
    raise();
    activateWindow();
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
    ui->cmd_Run->setText(text::runCaption(tool));
    ui->cmd_Ref->setFocus();
    // The focus is shown from the start, not only once the keyboard has moved it.
    setAttribute(Qt::WA_KeyboardFocusChange);
}

void Filename::cmd_OK_Click()
{
    close();
}

void Filename::cmd_Ref_Click()
{
    // Cancel ends the browse silently; in other modes the filter last set stays.
    if (m_com.Exec_Mode == ModeSolver)
        m_filter = text::SolverFilter;
    else if (m_com.Exec_Mode == ModePost)
        m_filter = text::PostFilter;
    const std::optional<QString> chosen =
            m_platform.chooseOpenFile(text::BrowseTitle, m_filter, browseFolder());
    if (!chosen)
        return;
    // A name with a byte that does not decode would be stored and started as another file's name.
    const Outcome usable = m_platform.encodable(*chosen);
    if (!usable.ok()) {
        m_platform.critical(text::MessageTitle, text::fileNameUnusable(*chosen, usable.reason()));
        return;
    }
    m_com.Ref_Filename = *chosen;
    ui->txt_filename->setText(m_com.Ref_Filename);
}

// Where the analyses are: the folder of the file chosen last in this process, else that of the run
// record's data file (as run.dat holds it when the record is not loaded yet), else nowhere in
// particular (the platform's own choice).
QString Filename::browseFolder()
{
    QString file = m_com.Ref_Filename;
    if (file.isEmpty())
        file = m_com.File_Dat;
    if (file.isEmpty()) {
        TOLV_Com saved; // a look at run.dat that leaves the module's record as it is; nothing told
        const Result<qint16> read = saved.Read_RunDat(m_platform);
        if (read.ok() && read.value() == 1)
            file = saved.File_Dat;
    }
    const qsizetype end = fileNameStart(file, m_platform.separator(), Separators::NativeAndSlash) - 1;
    if (end < 0)
        return QString();
    // A root ("/", "C:\") keeps its separator.
    QString folder = file.left(end);
    if (folder.isEmpty() || folder.endsWith(u':'))
        folder += file.at(end);
    return folder;
}

void Filename::cmd_Run_Click()
{
    m_starts.run(ui->txt_filename->text());
}

} // namespace tolv
