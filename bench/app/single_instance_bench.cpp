// A second start of the program handing its path over to the running first one, from its start
// to its exit; beside it the bare start of a first instance up to its application object, which a
// second start no longer makes.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>

namespace {

const QString kProbe = QStringLiteral(JOTWELL_PROBE);

QString Key() {
    return QStringLiteral("jotwell-bench-%1").arg(QCoreApplication::applicationPid());
}

void SecondStartHandsOver(benchmark::State& state) {
    QProcess first;
    first.start(kProbe, {Key()});
    QByteArray seen;
    while (!seen.contains("listening\n") && first.waitForReadyRead(10000))
        seen += first.readAll();
    if (!seen.contains("listening\n")) {
        state.SkipWithError("the first instance did not start listening");
        return;
    }
    for (auto _ : state) {
        QProcess second;
        second.start(kProbe, {Key(), QStringLiteral("/tmp/notes/branch.jwf")});
        if (!second.waitForFinished(10000) || second.readAll() != "delivered\n") {
            state.SkipWithError("the hand-over failed");
            break;
        }
        // Keeps the first instance's output pipe from filling up.
        first.waitForReadyRead(0);
        first.readAll();
    }
    first.kill();
    first.waitForFinished();
}
BENCHMARK(SecondStartHandsOver)->Unit(benchmark::kMillisecond)->UseRealTime();

void BareStart(benchmark::State& state) {
    for (auto _ : state) {
        QProcess probe;
        probe.start(kProbe, {});  // no key: it ends right after creating its QApplication
        probe.waitForFinished(10000);
    }
}
BENCHMARK(BareStart)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
