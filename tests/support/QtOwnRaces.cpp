// Under ThreadSanitizer, drops the reports of races in which both accesses are made by Qt's own
// libraries. Qt is not built with the sanitizer: of what Qt does it sees only the calls into the C
// library (memmove, the pthread calls, new and delete), not the atomic operations and futexes that
// order them, so Qt's hand-overs between its own threads look like races. A suppressions file
// cannot single those out: the frames inside Qt that make them have no names, and a pattern that
// names Qt's library matches every report with a thread of Qt's pool in it, the races of our own
// code among them. So a report is dropped only when, for each of its accesses, the first frame
// outside the sanitizer's runtime lies in a Qt library. A race where either access is made by our
// code, or by Qt header code compiled into ours, is still reported.
#include <array>
#include <cstdint>
#include <cstring>
#include <dlfcn.h>

// The runtime's accessors for a report, which no installed header declares.
extern "C" int __tsan_get_report_data(void* report, const char** description, int* count,
                                      int* stack_count, int* mop_count, int* loc_count,
                                      int* mutex_count, int* thread_count, int* unique_tid_count,
                                      void** sleep_trace, std::uintptr_t trace_size);
extern "C" int __tsan_get_report_mop(void* report, std::uintptr_t idx, int* tid, void** addr,
                                     int* size, int* write, int* atomic, void** trace,
                                     std::uintptr_t trace_size);

namespace {

bool InLibrary(void* pc, const char* prefix) {
    Dl_info info{};
    if (dladdr(pc, &info) == 0 || info.dli_fname == nullptr) {
        return false;
    }
    const char* slash = std::strrchr(info.dli_fname, '/');
    const char* name = slash == nullptr ? info.dli_fname : slash + 1;
    return std::strncmp(name, prefix, std::strlen(prefix)) == 0;
}

// A stack the runtime could not restore has no frames, and counts as not Qt's.
bool MadeByQt(void* report, std::uintptr_t access) {
    std::array<void*, 64> trace{};
    int tid = 0;
    void* addr = nullptr;
    int size = 0;
    int write = 0;
    int atomic = 0;
    __tsan_get_report_mop(report, access, &tid, &addr, &size, &write, &atomic, trace.data(),
                          trace.size());
    for (void* pc : trace) {
        if (pc == nullptr) {
            return false;
        }
        if (!InLibrary(pc, "libtsan.so")) {
            return InLibrary(pc, "libQt6");
        }
    }
    return false;
}

} // namespace

namespace __tsan {

struct ReportDesc;

// The runtime calls this before it prints a report, and prints none when it returns true. It is
// declared weak there, so this definition takes its place.
bool OnReport(const ReportDesc* report, bool suppressed);

bool OnReport(const ReportDesc* report, bool suppressed) {
    if (suppressed) {
        return true;
    }
    void* const rep = const_cast<ReportDesc*>(report);
    const char* kind = nullptr;
    int count = 0;
    int stacks = 0;
    int accesses = 0;
    int locations = 0;
    int mutexes = 0;
    int threads = 0;
    int tids = 0;
    void* sleep = nullptr;
    __tsan_get_report_data(rep, &kind, &count, &stacks, &accesses, &locations, &mutexes, &threads,
                           &tids, &sleep, 1);
    if (kind == nullptr || std::strcmp(kind, "data-race") != 0 || accesses == 0) {
        return false;
    }
    for (int access = 0; access < accesses; ++access) {
        if (!MadeByQt(rep, static_cast<std::uintptr_t>(access))) {
            return false;
        }
    }
    return true;
}

} // namespace __tsan
