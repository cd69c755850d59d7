#include "tools/tour/ResidentMemory.h"

#include <cstdio>
#include <cstring>

namespace {
// The value of one "Name:   1234 kB" line of /proc/self/status.
long statusKb(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    const size_t length = std::strlen(field);
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            if (std::sscanf(line + length + 1, "%ld", &kb) != 1)
                kb = 0;
            break;
        }
    }
    std::fclose(f);
    return kb;
}
}  // namespace

long ResidentMemory::currentKb() { return statusKb("VmRSS"); }

long ResidentMemory::peakKb() { return statusKb("VmHWM"); }

bool ResidentMemory::resetPeak() {
    // "5" resets the peak resident set size of the process.
    std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (!f)
        return false;
    const bool written = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && written;
}
