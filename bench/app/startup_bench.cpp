// The program's start, as a separate process under the offscreen platform: from starting it to
// its main window's first paint, on a notes folder of 1,000 notes with 10 of them selected (the
// editor shows those 10); and a later start handing a tree file to the running one.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include "bench/app/LargeNotes.h"

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

// A home with the settings naming a notes folder of `count` notes of about 1 KB, the first
// `selected` of them selected.
void MakeHome(const QString& home, int count, int selected) {
    const QString notes = home + QStringLiteral("/Notes");
    QDir().mkpath(notes);
    QByteArray index =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<tree version=\"1.0\">\n";
    for (int i = 1; i <= count; ++i) {
        const QByteArray id = QByteArray::number(i);
        const QByteArray isSelected = i <= selected ? "true" : "false";
        index += "<item id=\"" + id + "\" username=\"Note number " + id +
                 "\" isfixed=\"false\" isselected=\"" + isSelected + "\" isactive=\"" +
                 (i == 1 ? "true" : "false") +
                 "\" isexpanded=\"true\" size=\"1000\" created=\"1700000000\" "
                 "modified=\"1700000000\"></item>\n";
        WriteFile(notes + QLatin1Char('/') + id + QStringLiteral(".xml"),
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<note version=\"1.0\" "
                  "created=\"1700000000\" modified=\"1700000000\"><paragraph>Note " +
                      id + " " + QByteArray(1000, 'w') + "</paragraph></note>\n");
    }
    WriteFile(notes + QStringLiteral("/index.xml"), index + "</tree>\n");
    QSettings settings(home + QStringLiteral("/config/OrvaneInc/Jotwell.conf"),
                       QSettings::IniFormat);
    settings.setValue(QStringLiteral("NoteStore/NoteStorePath"), notes);
}

void StartToShown(benchmark::State& state) {
    QTemporaryDir home;
    MakeHome(home.path(), 1000, 10);
    QProcessEnvironment environment = LargeNotes::Environment(home.path());
    environment.insert(QStringLiteral("JOTWELL_EXIT_AFTER_SHOWN"), QStringLiteral("1"));
    for (auto _ : state) {
        QProcess program;
        program.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        program.start(QStringLiteral(JOTWELL_PROGRAM), {});
        QByteArray said;
        while (!said.contains("shown\n") && program.waitForReadyRead(30000))
            said += program.readAllStandardOutput();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (!said.contains("shown\n")) {
            state.SkipWithError("the program did not show its window");
            break;
        }
        state.SetIterationTime(seconds);
        // The program saves and ends by itself; that is not part of the start.
        program.waitForFinished(30000);
    }
}
BENCHMARK(StartToShown)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// A second start of the real program handing a tree file to the running first one, from its
// start to its exit.
void SecondStartHandsOver(benchmark::State& state) {
    QTemporaryDir home;
    MakeHome(home.path(), 100, 1);
    const QString jwf = home.filePath(QStringLiteral("shared.jwf"));
    WriteFile(jwf,
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<tree "
              "version=\"1.0\">\n<item id=\"9\" username=\"Shared\" isfixed=\"true\" "
              "isselected=\"false\" isactive=\"false\" isexpanded=\"false\" size=\"4\" "
              "created=\"0\" modified=\"0\">\n<note version=\"1.0\" created=\"0\" "
              "modified=\"0\"><paragraph>Text</paragraph></note>\n</item>\n</tree>\n");
    QProcessEnvironment environment = LargeNotes::Environment(home.path());
    QProcess first;
    QProcessEnvironment announcing = environment;
    announcing.insert(QStringLiteral("JOTWELL_ANNOUNCE_SHOWN"), QStringLiteral("1"));
    first.setProcessEnvironment(announcing);
    first.start(QStringLiteral(JOTWELL_PROGRAM), {});
    QByteArray said;
    while (!said.contains("shown\n") && first.waitForReadyRead(30000))
        said += first.readAllStandardOutput();
    if (!said.contains("shown\n")) {
        state.SkipWithError("the first instance did not show its window");
        return;
    }
    for (auto _ : state) {
        QProcess second;
        second.setProcessEnvironment(environment);
        second.start(QStringLiteral(JOTWELL_PROGRAM), {jwf});
        if (!second.waitForFinished(30000) || second.exitCode() != 0) {
            state.SkipWithError("the second start did not end");
            break;
        }
    }
    first.terminate();
    first.waitForFinished(30000);
}
BENCHMARK(SecondStartHandsOver)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
