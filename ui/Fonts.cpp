#include "Fonts.h"

#include "core/Texts.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QWidget>

namespace tolv {

namespace {

// The point size of the system's default user-interface font in the designed layout.
constexpr qreal DefaultPointSize = 9;
constexpr char PointSizeProperty[] = "designedPointSize";

// Whether the face is installed, without QFontDatabase::hasFamily(), which runs the system's whole
// font configuration for each name it is given. Under a locale that has its own name for a face
// the font database lists that name; the font file's own family name tells then.
bool installed(const QStringList &families, const QString &face)
{
    if (families.contains(face, Qt::CaseInsensitive))
        return true;
    // At the size of the default font, whose engine is then made once, here. (QFontInfo, not
    // QRawFont: from Qt 6.8 on, a raw font of an engine without a family name, as the toolkit
    // makes where no face matches, fails when asked for its family.)
    QFont probe(face);
    probe.setPointSizeF(DefaultPointSize);
    return QFontInfo(probe).family().compare(face, Qt::CaseInsensitive) == 0;
}

QString findDesignedFace()
{
    // The designed face under its Japanese and its Latin name (Windows), then the stand-in whose
    // glyphs share its widths and line height.
    const QStringList families = QFontDatabase::families();
    for (const QString &face : {text::FontFace, QStringLiteral("MS PGothic")}) {
        if (families.contains(face, Qt::CaseInsensitive))
            return face;
    }
    const QString standIn = QStringLiteral("IPAPGothic");
    return installed(families, standIn) ? standIn : text::FontFace;
}

// The forms' fonts as designed, applied the moment a widget is given its font, before the widget
// lays out any text in it (a line edit does so as soon as it gets its text): the stand-in replaces
// the designed face, and a point size that a form's font cannot hold (15.75 pt) comes from the
// widget's "designedPointSize" property. A style sheet could set such sizes too, but styling every
// widget through it costs a tenth of the start-up.
class DesignedFonts : public QObject
{
public:
    explicit DesignedFonts(QString face) : QObject(qApp), m_face(std::move(face)) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::FontChange && type != QEvent::DynamicPropertyChange)
            return false;
        if (!watched->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(watched);
        QFont font = w->font();
        if (font.family() == text::FontFace && m_face != text::FontFace)
            font.setFamilies({m_face});
        const QVariant size = w->property(PointSizeProperty);
        if (size.isValid())
            font.setPointSizeF(size.toReal());
        // Setting it sends FontChange again, which then finds nothing to change.
        if (font != w->font())
            w->setFont(font);
        return false;
    }

private:
    const QString m_face;
};

} // namespace

QString designedFace()
{
    static const QString face = findDesignedFace();
    return face;
}

void installDesignedFonts(QWidget *window)
{
    static bool done = false;
    if (!done) {
        done = true;
        const QString face = designedFace();
        if (face != text::FontFace)
            QFont::insertSubstitution(text::FontFace, face);
        qApp->installEventFilter(new DesignedFonts(face));
        QFont font(face);
        font.setPointSizeF(DefaultPointSize);
        QApplication::setFont(font);
    }
    // The window may have been made before the application's font was set; its children, whose
    // style sheet fixes their font when they are polished, must find the right one on it.
    if (!window->testAttribute(Qt::WA_SetFont))
        window->setFont(QApplication::font());
}

} // namespace tolv
