// Linked into a program beside its own main(): when the application object is constructed it
// starts watching for the first paint of a top-level window. Once that paint has been handled (the
// whole window drawn and flushed in the same pass), it prints the time on the monotonic clock and
// the window's widgets with their kinds and texts, and ends the program. The benchmark script takes the start time.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_seen || event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (!widget->isWindow() && widget->window()->isVisible())
            widget = widget->window();
        else if (!widget->isWindow())
            return false;
        m_seen = true;
        QWidget *window = widget;
        // Runs after the paint pass that this event belongs to.
        QTimer::singleShot(0, window, [window] {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("painted_ns=%lld\n",
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            // One line per widget: its kind, whether it is hidden, and its text in base64.
            for (QWidget *w : window->findChildren<QWidget *>()) {
                const char *kind = qobject_cast<QAbstractButton *>(w) ? "button"
                        : qobject_cast<QLabel *>(w)                   ? "label"
                        : qobject_cast<QLineEdit *>(w)                ? "edit"
                                                                      : "other";
                const QByteArray text = w->property("text").toString().toUtf8().toBase64();
                std::printf("widget %s %d %s\n", kind, int(w->isHidden()), text.constData());
            }
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
        return false;
    }

private:
    bool m_seen = false;
};

void watchFirstPaint()
{
    qApp->installEventFilter(new FirstPaint);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchFirstPaint)
