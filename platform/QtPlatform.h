// The launcher's platform on Qt: the real file system, message boxes, file dialog and processes.
#pragma once

#include "Platform.h"

namespace tolv {

class QtPlatform : public Platform
{
public:
    QString appFolder() const override;
    QChar separator() const override;
    QString appTitle() const override;

    Existence fileExists(const QString &path) override;
    std::unique_ptr<FieldSource> openFields(const QString &path) override;
    Outcome writeLines(const QString &path, const QStringList &lines) override;
    Outcome setCurrentDir(const QString &path) override;
    QString currentDir() const override;

    void critical(const QString &title, const QString &text) override;
    Outcome startProgram(const QString &program, const QString &argText) override;
    std::unique_ptr<OpenFileDialog> newOpenFileDialog() override;
    void endProgram() override;
};

// The name of the batch interpreter that lies beside the launcher where the platform has none.
inline constexpr char BatchInterpreterName[] = "tolvbat";

// Encodes text in the platform's narrow, byte-based encoding; nothing when a character would be lost.
std::optional<QByteArray> toNarrow(const QString &text);
QString fromNarrow(const QByteArray &bytes);

} // namespace tolv
