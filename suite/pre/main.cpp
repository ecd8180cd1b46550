// TOLV_Pre.exe, demo stand-in of the suite's preprocessor.
//
// Asks where to save an analysis (starting in ~/TOLVStrel-demo) and writes, beside the chosen
// <base>.ana, the input data <base>.dat, the analysis data <base>.ana and the analysis-type file
// <base>.bat. The analysis-type file is a batch file whose first item names the solver program:
//
//     "<this folder>/STATIC.exe" "<base>.ana"
//     PAUSE
//
// The launcher cuts the solver's file name out of that first item for solver.bat; when it runs
// <base>.bat itself, the solver is found by its full path and gets the data file as its argument,
// whatever the current directory is then.

#include "common/SuiteCommon.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString Program = QStringLiteral("TOLV_Pre.exe");

// The first line of the analysis-type file: the solver beside this program, then the data file.
// A folder that the batch line cannot hold (a double quote) or that would confuse the launcher's
// search for ".exe" falls back to the bare name, which the batch interpreter looks up itself.
QString solverLine(const QString &anaPath)
{
    const QString folder = QCoreApplication::applicationDirPath();
    const QString solver = QDir::toNativeSeparators(folder + u'/' + suite::SolverProgram);
    const bool plain = !folder.contains(u'"') && !folder.contains(QLatin1String(".exe"));
    return u'"' + (plain ? solver : suite::SolverProgram) + QStringLiteral("\" \"") + anaPath + u'"';
}

class PreWindow : public QWidget
{
public:
    PreWindow()
    {
        setWindowTitle(QStringLiteral("TOLV_Pre.exe - demo stand-in"));
        auto *layout = new QVBoxLayout(this);
        auto *note = new QLabel(QStringLiteral("<b>Preprocessor (demo stand-in)</b><br>") + suite::DemoNote
                                + QStringLiteral("<br><br>Save the example model as an analysis; the "
                                                 "launcher's solver then runs on it."));
        note->setWordWrap(true);
        layout->addWidget(note);
        m_status = new QLabel(QStringLiteral("Nothing saved yet."));
        m_status->setObjectName(QStringLiteral("status"));
        m_status->setWordWrap(true);
        m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(m_status);
        auto *buttons = new QHBoxLayout;
        auto *save = new QPushButton(QStringLiteral("&Save analysis as..."));
        auto *close = new QPushButton(QStringLiteral("&Close"));
        buttons->addWidget(save);
        buttons->addStretch();
        buttons->addWidget(close);
        layout->addLayout(buttons);
        connect(save, &QPushButton::clicked, this, &PreWindow::saveAs);
        connect(close, &QPushButton::clicked, this, &QWidget::close);
        setMinimumWidth(560);
    }

    void saveAs()
    {
        const QString demo = QDir::homePath() + QStringLiteral("/TOLVStrel-demo");
        QDir().mkpath(demo);
        const QString chosen = QFileDialog::getSaveFileName(
                this, QStringLiteral("Save analysis (demo stand-in)"), demo + QStringLiteral("/model01.ana"),
                QStringLiteral("Analysis data (*.ana)"));
        if (chosen.isEmpty())
            return;
        QString base = chosen;
        if (base.endsWith(QLatin1String(".ana")))
            base.chop(4);
        const suite::FileSet files{QDir::toNativeSeparators(base)};
        if (const std::optional<QString> why = save(files)) {
            m_status->setText(QStringLiteral("Could not save: ") + *why);
            QMessageBox::critical(this, windowTitle(), QStringLiteral("Could not save: ") + *why);
            return;
        }
        m_status->setText(QStringLiteral("Saved %1, %2 and %3.\nNext, in the launcher: the solver button, its "
                                         "item that names the file, then %2 and Run. That Run\nrecords "
                                         "the analysis (run.dat); after it the solver's and the "
                                         "postprocessor's linked items\nwork without naming a file.")
                                  .arg(files.dat(), files.ana(), files.bat()));
        adjustSize();
        suite::record(Program, QStringLiteral("saved"),
                      {{QStringLiteral("base"), files.base}, {QStringLiteral("bat"), files.bat()}});
    }

private:
    static std::optional<QString> save(const suite::FileSet &files)
    {
        if (files.base.contains(u'"'))
            return QStringLiteral("a batch file cannot name a path with a double quote");
        const suite::Model model;
        QStringList dat{QStringLiteral("* TOLV_Pre.exe demo stand-in: input data")};
        dat << model.lines();
        QStringList ana{QStringLiteral("* TOLV_Pre.exe demo stand-in: analysis data, static"),
                        QStringLiteral("ANALYSIS,STATIC")};
        ana << model.lines();
        const QStringList bat{solverLine(files.ana()), QStringLiteral("PAUSE")};
        for (const auto &[path, lines] : {std::pair{files.dat(), dat}, std::pair{files.ana(), ana},
                                          std::pair{files.bat(), bat}}) {
            if (const std::optional<QString> why = suite::writeLines(path, lines))
                return path + QStringLiteral(": ") + *why;
        }
        return std::nullopt;
    }

    QLabel *m_status;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    suite::recordStart(Program, app.arguments().mid(1));
    PreWindow window;
    window.show();
    QTimer::singleShot(0, &window, &PreWindow::saveAs);
    return app.exec();
}
