// Opening a large note as a whole process, as a user meets it: the real program started on a
// notes folder whose selected note is 1 MB or 5 MB, from its start to its editor's first paint
// and on to its exit; beside it, in the same run and interleaved, a bare QTextEdit program
// opening the same text. Both run under the offscreen platform. The time shown is ours, start to
// exit; the counters give the medians of the first paint and the end of both, the ratio (above 1:
// ahead) and the peak resident memory of both once shown.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "bench/app/LargeNotes.h"

namespace {

struct Run {
    double shown = 0;  // seconds from the start to the first paint
    double ended = 0;  // seconds from the start to the exit
    double peakMegabytes = 0;
    bool ok = false;
};

// The peak resident set of a running process, from the kernel's status file; 0 where there is
// none.
double PeakMegabytes(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ')[0].toDouble() / 1024;
    return 0;
}

double MedianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Median(const std::vector<Run>& runs, double Run::*field) {
    std::vector<double> values;
    for (const Run& run : runs)
        values.push_back(run.*field);
    return MedianOf(std::move(values));
}

// Starts `program` and waits for it to say "shown". A program told to stay is measured and then
// terminated; else it is awaited until it ends by itself.
Run Start(const QString& program, const QStringList& arguments,
          const QProcessEnvironment& environment, bool stay) {
    Run run;
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    QByteArray said;
    while (!said.contains("shown\n") && process.waitForReadyRead(60000))
        said += process.readAllStandardOutput();
    run.shown = double(timer.nsecsElapsed()) / 1e9;
    if (!said.contains("shown\n")) {
        process.kill();
        process.waitForFinished(10000);
        return run;
    }
    if (stay) {
        run.peakMegabytes = PeakMegabytes(process.processId());
        process.terminate();
    }
    run.ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    run.ended = double(timer.nsecsElapsed()) / 1e9;
    return run;
}

void OpenLargeNote(benchmark::State& state) {
    QTemporaryDir home;
    const std::filesystem::path notes = home.filePath(QStringLiteral("Notes")).toStdString();
    std::filesystem::create_directories(notes);
    LargeNotes::Write(notes.parent_path() / "shown.txt",
                      LargeNotes::WriteFolder(notes, int(state.range(0))));
    QSettings(home.filePath(QStringLiteral("config/OrvaneInc/Jotwell.conf")), QSettings::IniFormat)
        .setValue(QStringLiteral("NoteStore/NoteStorePath"), QString::fromStdString(notes));
    const QProcessEnvironment environment = LargeNotes::Environment(home.path());
    QProcessEnvironment ours = environment;
    ours.insert(QStringLiteral("JOTWELL_EXIT_AFTER_SHOWN"), QStringLiteral("1"));
    const QString jotwell = QStringLiteral(JOTWELL_PROGRAM);
    const QString plain = QStringLiteral(QTEXTEDIT_OPEN_PROGRAM);
    const QStringList text = {home.filePath(QStringLiteral("shown.txt"))};
    // A first start in a new home does what later ones do not (our desktop files, font caches):
    // each program starts once untimed, so that the runs measure the opening of a note.
    (void)Start(jotwell, {}, ours, false);
    (void)Start(plain, text, environment, false);
    std::vector<Run> mine;
    std::vector<Run> theirs;
    for (auto _ : state) {
        mine.push_back(Start(jotwell, {}, ours, false));
        theirs.push_back(Start(plain, text, environment, false));
        if (!mine.back().ok || !theirs.back().ok) {
            state.SkipWithError("a program did not show its window and end");
            return;
        }
        state.SetIterationTime(mine.back().ended);
    }
    // Memory once more, each program kept alive after its first paint.
    QProcessEnvironment oursStaying = environment;
    oursStaying.insert(QStringLiteral("JOTWELL_ANNOUNCE_SHOWN"), QStringLiteral("1"));
    QProcessEnvironment theirsStaying = environment;
    theirsStaying.insert(QStringLiteral("QTEXTEDIT_OPEN_STAY"), QStringLiteral("1"));
    // Medians: this machine's speed drifts, and now and then a start is held up. The ratio is the
    // median of the runs' own ratios, each pair run back to back.
    std::vector<double> ratios;
    for (size_t i = 0; i < mine.size(); ++i)
        ratios.push_back(theirs[i].ended / mine[i].ended);
    state.counters["shown_ms"] = 1000 * Median(mine, &Run::shown);
    state.counters["ended_ms"] = 1000 * Median(mine, &Run::ended);
    state.counters["qtextedit_shown_ms"] = 1000 * Median(theirs, &Run::shown);
    state.counters["qtextedit_ms"] = 1000 * Median(theirs, &Run::ended);
    state.counters["qtextedit/ours"] = MedianOf(std::move(ratios));
    state.counters["peak_MB"] = Start(jotwell, {}, oursStaying, true).peakMegabytes;
    state.counters["qtextedit_peak_MB"] = Start(plain, text, theirsStaying, true).peakMegabytes;
}
BENCHMARK(OpenLargeNote)
    ->Arg(1)
    ->Arg(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(11);
BENCHMARK(OpenLargeNote)->Arg(50)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace
