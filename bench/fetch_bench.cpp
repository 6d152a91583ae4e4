// Fetches a large file from a local server with FetchUrl and, in the same run,
// with the curl command, and prints the wall-time ratio and our peak RSS.
// Run from a Release build tree: bench/fetch_bench [megabytes, default 200]
// Targets: ratio <= 1.5, peak RSS <= body size + 32 MB.

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "http/FetchUrl.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    const long megabytes = argc > 1 ? std::atol(argv[1]) : 200;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("tallowin-fetch-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream out(dir / "big.bin", std::ios::binary);
        std::vector<char> block(1 << 20);
        for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7 + 3);
        for (long i = 0; i < megabytes; ++i) out.write(block.data(), block.size());
    }

    int pipeFds[2];
    if (pipe(pipeFds) != 0) return 1;
    const pid_t server = fork();
    if (server == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        // The server's request log goes nowhere.
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDERR_FILENO);
        execlp("python3", "python3", "-u", "-m", "http.server", "--bind", "127.0.0.1",
               "--directory", dir.c_str(), "0", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    // "Serving HTTP on 127.0.0.1 port N (...) ..."
    std::string line;
    char c;
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n') line += c;
    const size_t at = line.find(" port ");
    const int port = at == std::string::npos ? 0 : std::atoi(line.c_str() + at + 6);
    if (port <= 0) {
        std::fprintf(stderr, "server did not start: %s\n", line.c_str());
        return 1;
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/big.bin";

    // Alternating rounds and medians: the machine is shared, single runs wander.
    constexpr int kRounds = 5;
    std::vector<double> curlTimes, ourTimes;
    int curlStatus = 0;
    size_t bodySize = 0;
    for (int round = 0; round < kRounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        const std::string command = "curl -s -o /dev/null '" + url + "'";
        curlStatus |= std::system(command.c_str());
        curlTimes.push_back(Seconds(start));

        start = std::chrono::steady_clock::now();
        const tallowin::common::Bytes body = tallowin::http::FetchUrl(tallowin::common::Text(url));
        ourTimes.push_back(Seconds(start));
        bodySize = body.size();
    }
    std::sort(curlTimes.begin(), curlTimes.end());
    std::sort(ourTimes.begin(), ourTimes.end());
    const double curlSeconds = curlTimes[kRounds / 2];
    const double ourSeconds = ourTimes[kRounds / 2];

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = usage.ru_maxrss / 1024.0;
    const double bodyMb = static_cast<double>(bodySize) / (1 << 20);

    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    std::filesystem::remove_all(dir);

    std::printf("body %.1f MB (expected %ld MB), curl status %d\n", bodyMb, megabytes, curlStatus);
    std::printf("median of 5: FetchUrl %.3f s, curl %.3f s, ratio %.2f (target <= 1.5)\n",
                ourSeconds, curlSeconds, ourSeconds / curlSeconds);
    std::printf("peak RSS %.1f MB, body + 32 MB = %.1f MB (%s)\n", peakMb, bodyMb + 32,
                peakMb <= bodyMb + 32 ? "within" : "over");
    return bodySize == static_cast<size_t>(megabytes) << 20 ? 0 : 1;
}
