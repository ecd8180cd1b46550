// The toolkit's floor: one window with plain widgets and nothing else: the default font, colours
// and style, no pictures, icon or resources. It reads the launcher's main window from standard
// input, one line per widget as the first-paint probe prints them ("widget KIND HIDDEN TEXT", the
// text in base64), and makes the same number of widgets of the same kinds with the same texts.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(517, 485);

    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return 1;
    int i = 0;
    for (const QByteArray &line : in.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() < 3 || f[0] != "widget")
            continue;
        const QString text = QString::fromUtf8(QByteArray::fromBase64(f.value(3)));
        QWidget *w = f[1] == "button" ? new QPushButton(text, &window)
                : f[1] == "label"     ? new QLabel(text, &window)
                : f[1] == "edit"      ? static_cast<QWidget *>(new QLineEdit(text, &window))
                                      : new QWidget(&window);
        w->setGeometry(8 + (i % 4) * 120, 8 + (i / 4) * 40, 110, 30);
        w->setHidden(f[2] == "1");
        ++i;
    }
    window.show();
    return app.exec();
}
