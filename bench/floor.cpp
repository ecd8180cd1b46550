// The toolkit's floor: one window with plain widgets and nothing else (no fonts, colours,
// pictures, icon or resources). Arguments: how many buttons, labels, line edits and other
// widgets, and how many of them are hidden, in the launcher's main window.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int counts[5] = {0, 0, 0, 0, 0};
    for (int i = 1; i < argc && i <= 5; ++i)
        counts[i - 1] = QByteArray(argv[i]).toInt();
    const auto [buttons, labels, edits, others, hidden] = counts;

    QWidget window;
    window.resize(517, 485);
    QList<QWidget *> widgets;
    for (int i = 0; i < buttons; ++i)
        widgets << new QPushButton(QStringLiteral("Button"), &window);
    for (int i = 0; i < labels; ++i)
        widgets << new QLabel(QStringLiteral("Label"), &window);
    for (int i = 0; i < edits; ++i)
        widgets << new QLineEdit(QStringLiteral("Text"), &window);
    for (int i = 0; i < others; ++i)
        widgets << new QWidget(&window);
    for (int i = 0; i < widgets.size(); ++i) {
        widgets[i]->setGeometry(8 + (i % 4) * 120, 8 + (i / 4) * 40, 110, 30);
        widgets[i]->setHidden(i >= widgets.size() - hidden);
    }
    window.show();
    return app.exec();
}
