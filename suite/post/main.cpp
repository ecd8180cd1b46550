// TOLV_Post.exe, demo stand-in of the suite's postprocessor.
//
// Takes the postprocessor input file <base>.ind.in as its argument and shows its path and contents.
// A path with blanks may arrive as several arguments; they are joined again with single blanks.
// Without an argument, or when the file cannot be read, the window says so instead.

#include "common/SuiteCommon.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString program = QStringLiteral("TOLV_Post.exe");
    const QStringList args = app.arguments().mid(1);
    suite::recordStart(program, args);

    const QString path = args.join(u' ');
    QString heading;
    QString contents;
    if (path.isEmpty()) {
        heading = QStringLiteral("Started without a file: the launcher had no current analysis.\n"
                                 "Name a .ind.in file in the launcher's data-file dialog, or first run the "
                                 "solver once by file name:\nthat Run records the analysis, and the linked "
                                 "run of the postprocessor then opens its results.");
    } else if (const std::optional<QString> text = suite::readText(path); text && QFileInfo(path).isFile()) {
        heading = QStringLiteral("File: ") + path;
        contents = *text;
    } else {
        heading = QStringLiteral("File: ") + path + QStringLiteral("\nThis file is missing or cannot be read "
                                                                   "(has the solver run?).");
    }
    suite::record(program, QStringLiteral("shown"),
                  {{QStringLiteral("path"), path}, {QStringLiteral("read"), !contents.isEmpty()}});

    QWidget window;
    window.setWindowTitle(QStringLiteral("TOLV_Post.exe - demo stand-in"));
    auto *layout = new QVBoxLayout(&window);
    auto *note = new QLabel(QStringLiteral("<b>Postprocessor (demo stand-in)</b><br>") + suite::DemoNote);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto *file = new QLabel(heading);
    file->setObjectName(QStringLiteral("file"));
    file->setWordWrap(true);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(file);
    auto *view = new QPlainTextEdit(contents);
    view->setReadOnly(true);
    view->setVisible(!contents.isEmpty());
    layout->addWidget(view, 1);
    auto *close = new QPushButton(QStringLiteral("&Close"));
    QObject::connect(close, &QPushButton::clicked, &window, &QWidget::close);
    layout->addWidget(close, 0, Qt::AlignRight);
    window.resize(560, contents.isEmpty() ? 200 : 420);
    window.show();
    return app.exec();
}
