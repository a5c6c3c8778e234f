// Start-up time: from process start to the first paint of the main window, under the X server in
// $DISPLAY (start one with `Xvfb :99 &` and DISPLAY=:99), against the floor of a bare Qt window of
// the same size with 30 labels, run alternately in the same session. Prints median, p99 and max of
// each, their ratio, and the peak memory of each process.
//
//   bench/startup [path/to/Strumwell] [runs]
//   bench/startup --bare          (the floor window itself; used by the bench)

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

#include "app/first_paint_probe.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

long long NowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

int RunBareWindow(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("File"));
    auto* client = new QWidget(&window);
    client->setFixedSize(767, 524);
    for (int i = 0; i < 30; ++i) {
        auto* label = new QLabel(QStringLiteral("Label %1").arg(i), client);
        label->setGeometry(10 + (i % 6) * 120, 10 + (i / 6) * 40, 110, 30);
    }
    window.setCentralWidget(client);
    window.show();
    strumwell::FirstPaintProbe::InstallIfAsked(&window);
    return QApplication::exec();
}

struct Run {
    double ms = 0;
    long peakKb = 0;
    bool ok = false;
};

// Starts the program, reads its "first-paint <ns>" line, and collects its peak memory.
Run Measure(const std::vector<std::string>& command)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    const long long start = NowNs();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        setenv("STRUMWELL_REPORT_FIRST_PAINT", "1", 1);
        std::vector<char*> args;
        for (const std::string& a : command) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    std::string output;
    char buffer[256];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Run run;
    const auto at = output.find("first-paint ");
    if (at == std::string::npos) return run;
    const long long painted = std::atoll(output.c_str() + at + 12);
    run.ms = static_cast<double>(painted - start) / 1e6;
    run.peakKb = usage.ru_maxrss;
    run.ok = true;
    return run;
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

void Print(const char* name, const std::vector<Run>& runs)
{
    std::vector<double> ms;
    long peak = 0;
    for (const Run& r : runs) {
        ms.push_back(r.ms);
        peak = std::max(peak, r.peakKb);
    }
    std::printf("%-10s first paint: median %6.1f ms  p99 %6.1f ms  max %6.1f ms   peak memory %5.1f MB\n",
                name, Percentile(ms, 0.5), Percentile(ms, 0.99), *std::max_element(ms.begin(), ms.end()),
                static_cast<double>(peak) / 1024.0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--bare") return RunBareWindow(argc, argv);
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "startup: needs an X server in $DISPLAY (e.g. Xvfb :99 & DISPLAY=:99)\n");
        return 2;
    }
    const std::string self = "/proc/self/exe";
    char selfPath[4096] = {};
    if (readlink(self.c_str(), selfPath, sizeof selfPath - 1) < 0) return 2;
    std::string program = argc > 1 ? argv[1] : std::string(selfPath);
    if (argc <= 1) {
        program = std::string(selfPath);
        program = program.substr(0, program.rfind('/')) + "/../src/Strumwell";
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 21;

    std::vector<Run> app, bare;
    Measure({program});  // warm the file cache for both
    Measure({selfPath, "--bare"});
    for (int i = 0; i < runs; ++i) {
        const Run a = Measure({program});
        const Run b = Measure({selfPath, "--bare"});
        if (!a.ok || !b.ok) {
            std::fprintf(stderr, "startup: a run did not report its first paint\n");
            return 1;
        }
        app.push_back(a);
        bare.push_back(b);
    }
    std::printf("%d runs each, alternating\n", runs);
    Print("Strumwell", app);
    Print("bare Qt", bare);
    std::vector<double> a, b;
    for (const Run& r : app) a.push_back(r.ms);
    for (const Run& r : bare) b.push_back(r.ms);
    std::printf("ratio of medians: %.2f (target at most 1.30); peak memory target under 60 MB\n",
                Percentile(a, 0.5) / Percentile(b, 0.5));
    return 0;
}
