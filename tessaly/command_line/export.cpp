#include "tessaly/command_line/export.h"

#include "platform/core/command_line.h"
#include "platform/core/whole_file.h"
#include "tessaly/command_line/plot.h"
#include "tessaly/command_line/scan.h"

#include <QFile>
#include <QLocale>
#include <QStringList>

namespace tessaly::command_line {
namespace {

struct Table {
    QStringList header;
    std::vector<QStringList> rows = {};
};

// The shortest text that reads back as the same double.
QString plain(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString plainPerCall(double seconds, std::uint64_t calls) {
    const std::optional<double> cost = nanosecondsPerCall(seconds, calls);
    return cost ? plain(*cost) : QString();
}

QString resultText(const Outcome& outcome) {
    return outcome.result ? QString::number(*outcome.result) : QString();
}

QString callsText(const Outcome& outcome) {
    return QString::number(qulonglong(outcome.callsPerCycle));
}

QByteArray csv(const Table& table) {
    QByteArray text = table.header.join(QLatin1Char(',')).toUtf8() + "\r\n";
    for (const QStringList& row : table.rows)
        text += row.join(QLatin1Char(',')).toUtf8() + "\r\n";
    return text;
}

QByteArray markdown(const Table& table) {
    const auto line = [](const QStringList& cells) {
        return (QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |\n"))
            .toUtf8();
    };
    QByteArray text = line(table.header);
    text += line(QStringList(table.header.size(), QStringLiteral("---:")));
    for (const QStringList& row : table.rows)
        text += line(row);
    return text;
}

// A file the settings name, and for all but the plot, what it holds.
struct FileToWrite {
    const QString& name;
    const char* what;
    const std::function<QByteArray()>* bytes = nullptr;
};

std::vector<FileToWrite> filesToWrite(const Settings& settings, const Figures* figures = nullptr) {
    std::vector<FileToWrite> files;
    for (const FileToWrite& file :
         {FileToWrite{settings.plot, "the plot"},
          FileToWrite{settings.exportCsv, "the CSV table", figures ? &figures->csv : nullptr},
          FileToWrite{settings.exportMarkdown, "the Markdown table",
                      figures ? &figures->markdown : nullptr}})
        if (!file.name.isEmpty())
            files.push_back(file);
    return files;
}

QString cannotWrite(const FileToWrite& file, const QString& problem) {
    return QStringLiteral("cannot write %1 to %2: %3")
        .arg(QString::fromLatin1(file.what), platform::quotedArgument(file.name), problem);
}

} // namespace

QString refusedFile(const Settings& settings) {
    for (const FileToWrite& file : filesToWrite(settings)) {
        // What the system's bytes could not be read as became this character.
        if (file.name.contains(QChar::ReplacementCharacter))
            return cannotWrite(file, QStringLiteral("the name is not text in this system's "
                                                    "encoding."));
        if (const QString problem = platform::refusal(QFile::encodeName(file.name));
            !problem.isEmpty())
            return cannotWrite(file, problem);
    }
    return {};
}

QStringList writeFigures(const Settings& settings, const Figures& figures) {
    QStringList problems;
    for (const FileToWrite& file : filesToWrite(settings, &figures)) {
        const QByteArray path = QFile::encodeName(file.name);
        const QString problem = file.bytes ? platform::writeWhole(
                                                 path,
                                                 [&](QIODevice& device) {
                                                     device.write((*file.bytes)());
                                                     return QString();
                                                 },
                                                 true)
                                           : writePlot(path, *plotFormat(file.name), figures.plot);
        if (!problem.isEmpty())
            problems.append(cannotWrite(file, problem));
    }
    return problems;
}

QByteArray cyclesCsv(const Outcome& outcome) {
    Table table{{QStringLiteral("index"), QStringLiteral("cycle"), QStringLiteral("seconds"),
                 QStringLiteral("ns_per_call")}};
    for (std::size_t cycle = 0; cycle < outcome.seconds.size(); ++cycle) {
        const double seconds = outcome.seconds[cycle];
        table.rows.push_back({plain(outcome.index), QString::number(cycle + 1), plain(seconds),
                              plainPerCall(seconds, outcome.callsPerCycle)});
    }
    return csv(table);
}

QByteArray cyclesMarkdown(const Outcome& outcome) {
    Table table{{QStringLiteral("index"), QStringLiteral("cycle"), QStringLiteral("seconds"),
                 QStringLiteral("ns per call")}};
    for (std::size_t cycle = 0; cycle < outcome.seconds.size(); ++cycle) {
        const double seconds = outcome.seconds[cycle];
        table.rows.push_back({outcome.indexText, QString::number(cycle + 1), secondsText(seconds),
                              perCallText(seconds, outcome.callsPerCycle)});
    }
    return markdown(table);
}

QByteArray scanCsv(const std::vector<Outcome>& rows) {
    Table table{{QStringLiteral("index"), QStringLiteral("result"), QStringLiteral("counted_calls"),
                 QStringLiteral("cycles"), QStringLiteral("mean_seconds"),
                 QStringLiteral("sd_seconds"), QStringLiteral("min_seconds"),
                 QStringLiteral("max_seconds"), QStringLiteral("ns_per_call")}};
    for (const Outcome& row : rows) {
        const Statistics s = *statistics(row.seconds);
        table.rows.push_back({plain(row.index), resultText(row), callsText(row),
                              QString::number(row.seconds.size()), plain(s.mean),
                              plain(s.standardDeviation), plain(s.min), plain(s.max),
                              plainPerCall(s.mean, row.callsPerCycle)});
    }
    return csv(table);
}

QByteArray scanMarkdown(const std::vector<Outcome>& rows) {
    Table table{{QStringLiteral("index"), QStringLiteral("result"), QStringLiteral("counted calls"),
                 QStringLiteral("seconds, mean \u00b1 sd"), QStringLiteral("min seconds"),
                 QStringLiteral("max seconds"), QStringLiteral("ns per call")}};
    for (const Outcome& row : rows) {
        const Statistics s = *statistics(row.seconds);
        table.rows.push_back({row.indexText, resultText(row), callsText(row),
                              meanAndDeviationText(s), secondsText(s.min), secondsText(s.max),
                              perCallText(s.mean, row.callsPerCycle)});
    }
    return markdown(table);
}

} // namespace tessaly::command_line
