// The launcher's platform on Qt: the real file system, message boxes, file dialog and processes.
#pragma once

#include "Platform.h"

#include <QApplication>

#include <memory>

namespace tolv {

class QtPlatform : public Platform
{
public:
    QtPlatform();

    // The application folder, or why its name cannot be used: then nothing may be read or written.
    const Result<QString> &appFolderResult() const { return m_appFolder; }

    QString appFolder() const override;
    QChar separator() const override;
    QString appTitle() const override;

    Result<Entry> fileExists(const QString &path) override;
    Result<TextStart> readText(const QString &path) override;
    Outcome encodable(const QString &text) const override;
    Outcome replaceFile(const QString &path, const QString &text) override;
    Outcome setCurrentDir(const QString &path) override;
    Outcome batchFolderUsable(const QString &folder) const override;

    void critical(const QString &title, const QString &text) override;
    Outcome start(const QString &program, const QString &argText) override;
    std::optional<QString> chooseOpenFile(const QString &title, const QString &filter,
                                          const QString &folder) override;
    void endProgram() override;
    qint64 clockMs() const override;
    int doubleClickMs() const override;

private:
    Result<QString> m_appFolder;
};

// Makes the application, or ends the process with one line on standard error and status 1 when
// there is no display to show it on. Standard descriptors that are closed are opened on the null
// device first, so that no file opened later stands in for them in a started program.
// The application also speaks the user's language in the toolkit's own texts (see below).
std::unique_ptr<QApplication> createApplication(int &argc, char **argv);

// Loads the toolkit's translations (the open-file dialog, the message boxes' buttons) for the
// system's locale, where they are installed; the launcher's own texts are Japanese in every locale.
void installToolkitTranslations();

} // namespace tolv
