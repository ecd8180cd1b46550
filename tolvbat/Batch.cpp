#include "Batch.h"
#include "Texts.h"

#include "platform/Native.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tolv::batch {

namespace {

std::string trim(const std::string &s)
{
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

std::string lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

std::vector<std::string> split(const std::string &line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool inWord = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

bool isExecutableFile(const std::string &path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

} // namespace

Result<std::string> readBatch(const char *path)
{
    const QString name = QFile::decodeName(path);
    const Result<QByteArray> read = native::readFile(name, ReadLimit);
    if (!read.ok()) {
        // The platform's reasons are the launcher's, in Japanese; in English they are told in English.
        QString why = read.reason();
        if (!japanese() && read.kind() == FailureKind::NotRegularFile)
            why = QStringLiteral("not a regular file");
        else if (!japanese() && read.kind() == FailureKind::NameNotExact)
            why = QStringLiteral("the name is not valid text in the system's encoding");
        return failure(read.kind(), text(Text::CannotRead).arg(name, why));
    }
    if (read.value().size() > ReadLimit)
        return failure(FailureKind::TooLarge, text(Text::TooLarge).arg(name));
    return success(read.value().toStdString());
}

std::vector<Step> parse(const std::string &text)
{
    std::vector<Step> steps;
    size_t start = 0;
    for (size_t number = 1; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string raw = text.substr(start, end - start);
        start = end + 1;
        if (raw.find('\0') != std::string::npos) {
            Step step;
            step.fault = batch::text(Text::NulByte).arg(number).toStdString();
            steps.push_back(step);
            continue;
        }
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        std::string line = trim(raw);
        if (!line.empty() && line.front() == '@')
            line = trim(line.substr(1));
        const std::string low = lower(line);
        const bool remark = low.rfind("rem", 0) == 0 && (low.size() == 3 || low[3] == ' ' || low[3] == '\t');
        if (line.empty() || low == "echo off" || remark)
            continue;
        Step step;
        if (low == "pause")
            step.pause = true;
        else
            step.words = split(line);
        if (step.pause || !step.words.empty())
            steps.push_back(step);
    }
    return steps;
}

std::string locate(const std::string &name)
{
    if (name.find('/') != std::string::npos)
        return name;
    if (isExecutableFile("./" + name))
        return "./" + name;
    const char *path = std::getenv("PATH");
    const std::string dirs = path ? path : "";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = dirs.substr(start, end - start);
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (isExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

Result<pid_t> start(const Step &step, int output)
{
    // One line, as a shell says it, with the status that a shell would end with.
    const auto refused = [](FailureKind kind, const QString &line) {
        return failure(kind, QStringLiteral("tolvbat: ") + line);
    };
    if (!step.fault.empty())
        return failure(FailureKind::NotEncodable, QString::fromLocal8Bit("tolvbat: " + step.fault));
    const std::string program = locate(step.words.front());
    if (program.empty())
        return refused(FailureKind::Missing,
                       text(Text::NotFound).arg(QString::fromLocal8Bit(step.words.front()), QString::number(127)));
    QList<QByteArray> argv;
    for (const std::string &word : step.words)
        argv << QByteArray::fromStdString(word);
    native::SpawnOptions options;
    options.newSession = output >= 0;
    options.nullInput = output >= 0;
    options.output = output;
    const Result<pid_t> started = native::spawn(QByteArray::fromStdString(program), argv, options);
    if (started.ok())
        return started;
    // As a shell: 127 when the program or its interpreter is not there, 126 when it cannot be
    // executed (no permission, no known format).
    const int status = started.kind() == FailureKind::Missing ? 127 : 126;
    return refused(started.kind(), text(Text::CannotStart)
                                           .arg(QString::fromLocal8Bit(program), started.reason(), QString::number(status)));
}

int wait(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

std::string ending(const std::string &program, int waitStatus)
{
    QString line;
    const QString name = QString::fromLocal8Bit(program);
    if (WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) != 0) {
        line = text(Text::EndedWithStatus).arg(name, QString::number(WEXITSTATUS(waitStatus)));
    } else if (WIFSIGNALED(waitStatus)) {
        const int signal = WTERMSIG(waitStatus);
        line = text(Text::EndedBySignal)
                       .arg(name, QString::number(signal), QString::fromLocal8Bit(strsignal(signal)));
    }
    return line.isEmpty() ? std::string() : "tolvbat: " + line.toStdString();
}

} // namespace tolv::batch
