#include "SuiteCommon.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace suite {

void record(const QString &program, const QString &what, QJsonObject details)
{
    const QString logPath = qEnvironmentVariable("TOLV_SUITE_LOG");
    if (logPath.isEmpty())
        return;
    details.insert(QStringLiteral("program"), program);
    details.insert(QStringLiteral("event"), what);
    details.insert(QStringLiteral("pid"), QCoreApplication::applicationPid());
    details.insert(QStringLiteral("time"),
                   QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    QFile log(logPath);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append))
        log.write(QJsonDocument(details).toJson(QJsonDocument::Compact) + '\n');
}

void recordStart(const QString &program, const QStringList &args)
{
    record(program, QStringLiteral("start"),
           {{QStringLiteral("args"), QJsonArray::fromStringList(args)},
            {QStringLiteral("cwd"), QDir::currentPath()},
            {QStringLiteral("folder"), QCoreApplication::applicationDirPath()}});
}

std::optional<QString> writeLines(const QString &path, const QStringList &lines)
{
    QStringEncoder encoder(QStringConverter::System);
    const QByteArray bytes = encoder.encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    if (encoder.hasError())
        return QStringLiteral("the text cannot be written in the system's encoding");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringDecoder decoder(QStringConverter::System);
    return QString(decoder.decode(file.readAll()));
}

QStringList fields(const QString &text)
{
    QStringList result;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        QString value;
        if (text.at(i) == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            value = text.mid(i + 1, end - i - 1);
            i = end + 1;
        } else {
            const qsizetype start = i;
            while (i < n && text.at(i) != u',' && text.at(i) != u'\r' && text.at(i) != u'\n')
                ++i;
            value = text.mid(start, i - start);
        }
        // Past the delimiter: a comma, CR LF, LF or CR.
        while (i < n) {
            const QChar c = text.at(i++);
            if (c == u',' || c == u'\n')
                break;
            if (c == u'\r') {
                if (i < n && text.at(i) == u'\n')
                    ++i;
                break;
            }
        }
        result << value;
    }
    return result;
}

QStringList Model::lines() const
{
    return {
        QStringLiteral("TITLE,") + title,
        QStringLiteral("LENGTH_MM,") + QString::number(lengthMm),
        QStringLiteral("YOUNG_N_PER_MM2,") + QString::number(youngNPerMm2),
        QStringLiteral("INERTIA_MM4,") + QString::number(inertiaMm4),
        QStringLiteral("PLASTIC_MOMENT_NMM,") + QString::number(plasticMomentNmm),
        QStringLiteral("LOAD_N,") + QString::number(loadN),
        QStringLiteral("STEPS,") + QString::number(steps),
    };
}

std::optional<Model> Model::parse(const QString &text, QString *why)
{
    Model m;
    int found = 0;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n")));
    for (const QString &line : lines) {
        const qsizetype comma = line.indexOf(u',');
        if (comma < 0 || line.startsWith(u'*'))
            continue;
        const QString key = line.left(comma).trimmed();
        const QString value = line.mid(comma + 1).trimmed();
        bool ok = true;
        if (key == QLatin1String("TITLE"))
            m.title = value;
        else if (key == QLatin1String("LENGTH_MM"))
            m.lengthMm = value.toDouble(&ok), ++found;
        else if (key == QLatin1String("YOUNG_N_PER_MM2"))
            m.youngNPerMm2 = value.toDouble(&ok), ++found;
        else if (key == QLatin1String("INERTIA_MM4"))
            m.inertiaMm4 = value.toDouble(&ok), ++found;
        else if (key == QLatin1String("PLASTIC_MOMENT_NMM"))
            m.plasticMomentNmm = value.toDouble(&ok), ++found;
        else if (key == QLatin1String("LOAD_N"))
            m.loadN = value.toDouble(&ok), ++found;
        else if (key == QLatin1String("STEPS"))
            m.steps = value.toInt(&ok), ++found;
        if (!ok) {
            if (why)
                *why = QStringLiteral("bad value for %1: %2").arg(key, value);
            return std::nullopt;
        }
    }
    if (found < 6 || m.steps < 1 || m.lengthMm <= 0 || m.youngNPerMm2 <= 0 || m.inertiaMm4 <= 0) {
        if (why)
            *why = QStringLiteral("the model is incomplete");
        return std::nullopt;
    }
    return m;
}

} // namespace suite
