#include "core/Texts.h"
#include "core/TOLV_Com.h"
#include "platform/QtPlatform.h"
#include "resources/Artwork.h"
#include "ui/main/Main.h"

int main(int argc, char *argv[])
{
    const std::unique_ptr<QApplication> app = tolv::createApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TOLVStrel"));
    QApplication::setWindowIcon(tolv::artwork::appIcon());
    tolv::QtPlatform platform;
    // Without a folder name of its own, nothing could be found or written where it belongs.
    if (!platform.appFolderResult().ok()) {
        platform.critical(tolv::text::MessageTitle,
                          tolv::text::appFolderUnusable(platform.appFolderResult().reason()));
        return 1;
    }
    tolv::Main window(tolv::TOLV_Com::shared(), platform);
    window.show();
    return app->exec();
}
