// Linked into a program beside its own main(): when the application object is constructed it
// starts watching for the first paint of a top-level window. Once that paint has been handled (the
// whole window drawn and flushed in the same pass), it prints the time on the monotonic clock and
// the window's widgets by kind, and ends the program. The benchmark script takes the start time.
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
            int buttons = 0, labels = 0, edits = 0, others = 0, hidden = 0;
            for (QWidget *w : window->findChildren<QWidget *>()) {
                if (qobject_cast<QAbstractButton *>(w))
                    ++buttons;
                else if (qobject_cast<QLabel *>(w))
                    ++labels;
                else if (qobject_cast<QLineEdit *>(w))
                    ++edits;
                else
                    ++others;
                if (w->isHidden())
                    ++hidden;
            }
            std::printf("painted_ns=%lld buttons=%d labels=%d edits=%d others=%d hidden=%d\n",
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                        buttons, labels, edits, others, hidden);
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
