#pragma once
// Real server processes on 127.0.0.1 for the tests: started on free ports,
// stopped with SIGTERM when the owning object goes.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace tallowin::test_servers {

class ServerProcess {
public:
    // Runs the command; when readPort is set, it waits for the first stdout line,
    // which starts with the port.
    ServerProcess(const std::vector<std::string>& argv, bool readPort) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            // A server that does not report its port may still log: not into a closed pipe.
            dup2(readPort ? out[1] : open("/dev/null", O_WRONLY), STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execvp(args[0], args.data());
            _exit(127);
        }
        close(out[1]);
        if (readPort) {
            char c;
            while (read(out[0], &c, 1) == 1 && c != '\n') firstLine_ += c;
            port_ = std::atoi(firstLine_.c_str());
        }
        close(out[0]);
    }
    ~ServerProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int Port() const { return port_; }
    const std::string& FirstLine() const { return firstLine_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
    std::string firstLine_;
};

// The search stand-in on a free port, with the SPKI hash of its throw-away
// certificate (its first line is "port=<N> spki=<base64>").
class SearchReplica {
public:
    SearchReplica()
        : process_({TALLOWIN_SOURCE_DIR "/tools/search-replica/search-replica", "--port", "0"},
                   true) {
        char key[256] = {};
        if (std::sscanf(process_.FirstLine().c_str(), "port=%d spki=%255s", &port_, key) == 2) {
            spki_ = key;
        }
    }
    bool Started() const { return port_ > 0 && !spki_.empty(); }
    int Port() const { return port_; }
    const std::string& Spki() const { return spki_; }
    // "127.0.0.1:<port>"
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    ServerProcess process_;
    int port_ = 0;
    std::string spki_;
};

// A port nothing listens on right now.
inline int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

inline bool WaitUntilListening(int port) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(fd);
        if (ok) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace tallowin::test_servers
