#include "MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QScreen>

namespace tolv {

namespace {

// The message box's own width beside its text: the icon, the margins and the spacing between them.
constexpr int BoxChrome = 140;

// The widest text that a message box holds on the screen: QMessageBox itself never grows wider
// than the screen, nor wider than 1000 pixels or the screen less 480 on screens wider than 1024.
int textWidthLimit(const QScreen *screen)
{
    const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
    const int boxLimit = screenWidth <= 1024 ? screenWidth : qMin(screenWidth - 480, 1000);
    return qMax(boxLimit - BoxChrome, 100);
}

// The designed lines, each kept whole where it fits the width; a longer one is broken after the
// last blank or folder separator that fits, and only where there is none between two characters.
QStringList fitLines(const QStringList &lines, const QFontMetrics &metrics, int width)
{
    QStringList fitted;
    for (QString rest : lines) {
        while (metrics.horizontalAdvance(rest) > width && rest.size() > 1) {
            qsizetype fits = 1;
            while (fits < rest.size() && metrics.horizontalAdvance(rest.left(fits + 1)) <= width)
                ++fits;
            qsizetype cut = fits;
            for (qsizetype i = fits; i > 0; --i) {
                const QChar c = rest.at(i - 1);
                if (c == u' ' || c == u'/' || c == u'\\') {
                    cut = i;
                    break;
                }
            }
            fitted << rest.left(cut);
            rest = rest.mid(cut);
        }
        fitted << rest;
    }
    return fitted;
}

} // namespace

MessageBox::MessageBox(const QString &title, const QString &text, QWidget *parent)
    : QMessageBox(QMessageBox::Critical, title, QString(), QMessageBox::Ok, parent),
      m_plain(QString(text).remove(u'\r'))
{
}

void MessageBox::critical(const QString &title, const QString &text)
{
    // Over the window whose command raised it: the one the user is working in.
    QWidget *over = QApplication::activeWindow();
    if (!over && QApplication::focusWidget())
        over = QApplication::focusWidget()->window();
    MessageBox box(title, text, over);
    box.setDesignedLines(text, over ? over->screen() : QGuiApplication::primaryScreen());
    box.exec();
}

// QMessageBox would wrap anything wider than half the screen, inside words too; as rich text with
// white-space:pre the lines stay as they are given.
void MessageBox::setDesignedLines(const QString &text, const QScreen *screen)
{
    const QStringList designed = QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(u'\n');
    QStringList escaped;
    for (const QString &line : fitLines(designed, QFontMetrics(font()), textWidthLimit(screen)))
        escaped << line.toHtmlEscaped();
    setTextFormat(Qt::RichText);
    setText(QLatin1String("<p style=\"white-space:pre\">") + escaped.join(QLatin1String("<br>"))
            + QLatin1String("</p>"));
}

// The box shows its lines as rich text; copying it gives the message as plain text, in the layout
// that the toolkit's own boxes copy.
void MessageBox::keyPressEvent(QKeyEvent *event)
{
    if (!event->matches(QKeySequence::Copy)) {
        QMessageBox::keyPressEvent(event);
        return;
    }
    const QLatin1String separator("---------------------------\n");
    QString copied = separator + windowTitle() + u'\n' + separator + m_plain + u'\n' + separator;
    for (const QAbstractButton *button : buttons())
        copied += button->text() + QLatin1String("   ");
    QGuiApplication::clipboard()->setText(copied + u'\n' + separator);
}

} // namespace tolv
