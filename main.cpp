#include "core/TOLV_Com.h"
#include "platform/QtPlatform.h"
#include "resources/Artwork.h"
#include "ui/main/Main.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TOLVStrel"));
    QApplication::setWindowIcon(tolv::artwork::appIcon());
    tolv::QtPlatform platform;
    tolv::Main window(tolv::TOLV_Com::shared(), platform);
    window.show();
    return app.exec();
}
