// mivo-catalogue: a local catalogue web site for the demo and the end-to-end
// tests. It serves the site's pages from the JSON data file, both as the site
// itself and as a forward proxy for the site's host, so a client whose proxy
// setting names this server reaches "the catalogue" without any other network.
//
//   mivo-catalogue [--port N] [--bind ADDR] [--data FILE] [--page-size N] [--verbose]
//
// The listening port is printed on stdout as one line once the server accepts
// connections (port 0 picks a free one). SIGINT or SIGTERM stop it cleanly.
// Threads: the server's worker threads share the immutable catalogue and router;
// one extra thread waits for the stop signals.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

#include <pthread.h>

#include <httplib.h>

#include "catalogue/CatalogueData.h"
#include "catalogue/RequestRouter.h"
#include "platform/ProgramFolder.h"

namespace {

struct Options {
    int port = 8080;
    std::string bind = "127.0.0.1";
    std::string dataFile;  // empty: DefaultDataFile()
    int pageSize = 10;
    bool verbose = false;
};

void PrintUsage(std::ostream& out) {
    out << "usage: mivo-catalogue [options]\n"
           "  --port N         port to listen on (default 8080; 0 picks a free one)\n"
           "  --bind ADDR      address to listen on (default 127.0.0.1)\n"
           "  --data FILE      catalogue data file (default: " MIVO_DATA_FROM_PROGRAM "\n"
           "                   from the program's folder)\n"
           "  --page-size N    album list entries per page (default 10)\n"
           "  --verbose        one line per request on stderr\n"
           "  --help\n"
           "The listening port is printed on stdout.\n";
}

// The data file an installation puts beside the program
// (<prefix>/share/mivo/catalogue.json); the build folder holds a copy at the
// same place.
std::string DefaultDataFile() { return platform::BesideProgram(MIVO_DATA_FROM_PROGRAM); }

bool ParseInt(const char* text, int low, int high, int& out) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

// 0 on success, else the exit status for a usage error.
int ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (arg == "--help") {
            PrintUsage(std::cout);
            std::exit(0);
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--port") {
            if (!(v = value()) || !ParseInt(v, 0, 65535, options.port)) {
                std::cerr << "mivo-catalogue: --port needs a number from 0 to 65535\n";
                return 2;
            }
        } else if (arg == "--page-size") {
            if (!(v = value()) || !ParseInt(v, 1, 100000, options.pageSize)) {
                std::cerr << "mivo-catalogue: --page-size needs a number from 1 to 100000\n";
                return 2;
            }
        } else if (arg == "--data") {
            if (!(v = value())) {
                std::cerr << "mivo-catalogue: --data needs a file name\n";
                return 2;
            }
            options.dataFile = v;
        } else if (arg == "--bind") {
            if (!(v = value())) {
                std::cerr << "mivo-catalogue: --bind needs an address\n";
                return 2;
            }
            options.bind = v;
        } else {
            std::cerr << "mivo-catalogue: unknown option " << arg << "\n";
            PrintUsage(std::cerr);
            return 2;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (int status = ParseOptions(argc, argv, options)) return status;
    if (options.dataFile.empty()) options.dataFile = DefaultDataFile();

    std::optional<catalogue::Catalogue> data;
    try {
        data.emplace(catalogue::Catalogue::LoadFromFile(options.dataFile));
    } catch (const std::exception& e) {
        std::cerr << "mivo-catalogue: " << e.what() << "\n";
        return 1;
    }
    catalogue::RequestRouter router(*data, options.pageSize);

    // Block the stop signals in every thread; one thread waits for them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    httplib::Server server;
    server.Get(".*", [&](const httplib::Request& request, httplib::Response& response) {
        catalogue::Reply reply = router.Route(request.target);
        response.status = reply.status;
        response.set_content(reply.body, reply.contentType.c_str());
    });
    if (options.verbose) {
        server.set_logger([](const httplib::Request& request, const httplib::Response& response) {
            std::cerr << request.method << " " << request.target << " -> " << response.status << "\n";
        });
    }

    int port = options.port;
    if (port == 0) {
        port = server.bind_to_any_port(options.bind.c_str());
    } else if (!server.bind_to_port(options.bind.c_str(), port)) {
        port = -1;
    }
    if (port <= 0) {
        std::cerr << "mivo-catalogue: cannot listen on " << options.bind << ":" << options.port << ": "
                  << std::strerror(errno) << "\n";
        return 1;
    }

    // A stop signal may come before the server has started listening, when
    // stop() would not yet take: repeat it until listening has ended.
    std::atomic<bool> stopping{false};
    std::atomic<bool> finished{false};
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        stopping = true;
        while (!finished) {
            server.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    std::cout << port << std::endl;
    bool ok = server.listen_after_bind();
    finished = true;
    // When the server ended on its own, wake the waiting thread so it can be joined.
    if (!stopping) pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return ok || stopping ? 0 : 1;
}
