// Exit statuses, failure kinds and the "not found" hint.
#include "host/RunOutcome.h"

#include <signal.h>

#include <cstdio>

namespace mivo_host {

namespace {

std::string SignalName(int number) {
    if (number == SIGINT) return "SIGINT";
    if (number == SIGTERM) return "SIGTERM";
    return "signal " + std::to_string(number);
}

bool FoundSomething(const CommandResult& result) {
    return !result.albums.empty() || !result.artistUrl.empty() || (result.album && !result.album->tracks.empty());
}

}  // namespace

FailureKind Classify(const CommandResult& result, int stopSignal) {
    if (stopSignal != 0) return FailureKind::Interrupted;
    if (result.succeeded) return FailureKind::None;
    if (result.statistics.successful < result.statistics.downloads) return FailureKind::Download;
    return FailureKind::NotFound;
}

int ExitStatus(FailureKind kind, int stopSignal) {
    switch (kind) {
        case FailureKind::None: return kExitSuccess;
        case FailureKind::NotFound: return kExitNothingFound;
        case FailureKind::Download: return kExitDownloadFailed;
        case FailureKind::Interrupted: return 128 + stopSignal;
    }
    return kExitNothingFound;
}

const char* KindName(FailureKind kind) {
    switch (kind) {
        case FailureKind::None: return "";
        case FailureKind::NotFound: return "not-found";
        case FailureKind::Download: return "download";
        case FailureKind::Interrupted: return "interrupted";
    }
    return "";
}

void DescribeOutcome(CommandResult& result, int stopSignal) {
    result.failureKind = Classify(result, stopSignal);
    switch (result.failureKind) {
        case FailureKind::Interrupted:
            result.partial = true;
            result.failure = "interrupted by " + SignalName(stopSignal) + "; what was found so far is printed";
            break;
        case FailureKind::Download: {
            const int failed = result.statistics.downloads - result.statistics.successful;
            result.partial = FoundSomething(result);
            result.failure = std::to_string(failed) + " of " + std::to_string(result.statistics.downloads) +
                             (result.statistics.downloads == 1 ? " download" : " downloads") + " failed" +
                             (result.failure.empty() ? std::string() : ", so " + result.failure);
            break;
        }
        case FailureKind::NotFound:
            if (result.failure.empty()) result.failure = "the plug-in answered failure";
            break;
        case FailureKind::None: break;
    }
}

std::string NotFoundHint(std::optional<float> maxDifference, bool logFolderGiven) {
    std::string hint;
    if (!maxDifference || *maxDifference < kOneTypoDifference) {
        char value[32];
        std::snprintf(value, sizeof value, "%g", static_cast<double>(kOneTypoDifference));
        hint = std::string("--max-difference ") + value + " also accepts a name with one letter wrong";
    }
    if (!logFolderGiven) {
        if (!hint.empty()) hint += "; ";
        hint += "--log-dir DIR keeps the plug-in's trace log";
    }
    return hint;
}

}  // namespace mivo_host
