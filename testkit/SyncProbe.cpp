#include "SyncProbe.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// What a flush saw of its file: a later write or change of mode shows in its size or times.
struct Seen {
    off_t size;
    timespec modified;
    timespec changed;
};

bool Same(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

struct Probe {
    std::mutex lock;
    std::map<std::pair<dev_t, ino_t>, Seen> flushed;
    std::vector<wz::testkit::ProbedRename> renames;
    std::string failOnto;
    int failError = 0;
};

Probe& TheProbe() {
    static Probe* probe = new Probe; // never destroyed: flushes may come during exit
    return *probe;
}

template <typename Function> Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

void StopAtTheFirstFlush() {
    static std::atomic<bool> stopped{false};
    const char* stop = std::getenv("WZ_SYNC_PROBE_STOP");
    if (stop != nullptr && std::strcmp(stop, "fsync") == 0 && !stopped.exchange(true)) {
        ::raise(SIGSTOP);
    }
}

void NoteFlush(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return;
    }
    Probe& probe = TheProbe();
    const std::lock_guard<std::mutex> held(probe.lock);
    probe.flushed[{info.st_dev, info.st_ino}] = {info.st_size, info.st_mtim, info.st_ctim};
}

int Flush(int (*next)(int), int fd) {
    StopAtTheFirstFlush();
    const int result = next(fd);
    if (result == 0) {
        NoteFlush(fd);
    }
    return result;
}

} // namespace

extern "C" int fsync(int fd) {
    static const auto next = Next<int (*)(int)>("fsync");
    return Flush(next, fd);
}

extern "C" int fdatasync(int fd) {
    static const auto next = Next<int (*)(int)>("fdatasync");
    return Flush(next, fd);
}

extern "C" int rename(const char* from, const char* to) {
    static const auto next = Next<int (*)(const char*, const char*)>("rename");
    Probe& probe = TheProbe();
    wz::testkit::ProbedRename noted{from, to};
    struct stat info {};
    {
        const std::lock_guard<std::mutex> held(probe.lock);
        if (::lstat(from, &info) == 0) {
            const auto it = probe.flushed.find({info.st_dev, info.st_ino});
            noted.flushed = it != probe.flushed.end() && it->second.size == info.st_size &&
                            Same(it->second.modified, info.st_mtim) &&
                            Same(it->second.changed, info.st_ctim);
        }
        noted.failed = !probe.failOnto.empty() && probe.failOnto == to;
        probe.renames.push_back(noted);
        if (noted.failed) {
            probe.failOnto.clear();
            errno = probe.failError;
            return -1;
        }
    }
    return next(from, to);
}

std::vector<wz::testkit::ProbedRename> wz::testkit::TakeRenames() {
    Probe& probe = TheProbe();
    const std::lock_guard<std::mutex> held(probe.lock);
    return std::exchange(probe.renames, {});
}

void wz::testkit::FailNextRenameOnto(const std::string& to, int error) {
    Probe& probe = TheProbe();
    const std::lock_guard<std::mutex> held(probe.lock);
    probe.failOnto = to;
    probe.failError = error;
}
