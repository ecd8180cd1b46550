// The one way an operation of the launcher says how it went: a value, or a failure with its kind
// and a reason a user can read. Both are spelt out: success(value) and failure(kind, reason).
#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace tolv {

// What went wrong, for the code that acts on it; the reason says it to the user.
enum class FailureKind {
    System,         // the system refused; the reason is its own
    Missing,        // nothing at the path, or a program that is not there
    NotRegularFile, // a folder, a FIFO or a device where a file should be
    NameNotExact,   // a name the system's encoding cannot represent exactly
    NotEncodable,   // text the narrow encoding cannot hold (a character it lacks, a NUL)
    TooLarge,       // more than the launcher reads or writes
    ReadOnly,       // a read-only file, kept as it is
    NotStorable,    // a path that run.dat cannot hold so that it reads back unchanged
    Damaged,        // a file of ours that is there but does not hold a whole record
    FolderUnusable, // a folder that the command interpreter cannot work in
    NameRejected,   // a name the user gave, or one the record holds, that a Run's checks refuse
};

struct Failure
{
    FailureKind kind = FailureKind::System;
    QString reason;
};

inline Failure failure(FailureKind kind, QString reason)
{
    return Failure{kind, std::move(reason)};
}

// The value of an operation that gives nothing back but success.
struct Done
{
};

template <typename T>
struct Success
{
    T value;
};

template <typename T>
Success<T> success(T value)
{
    return Success<T>{std::move(value)};
}
inline Success<Done> success()
{
    return Success<Done>{Done{}};
}

template <typename T = Done>
class [[nodiscard]] Result
{
public:
    Result(Success<T> done) : m_value(std::move(done.value)) {}
    Result(Failure failed) : m_failure(std::move(failed)) {}

    bool ok() const { return m_value.has_value(); }
    const T &value() const { return *m_value; }
    // The failure, to be passed on as it is; only when !ok().
    const Failure &failure() const { return m_failure; }
    FailureKind kind() const { return m_failure.kind; }
    const QString &reason() const { return m_failure.reason; }

private:
    std::optional<T> m_value;
    Failure m_failure;
};

using Outcome = Result<>;

} // namespace tolv
