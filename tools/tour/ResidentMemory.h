#pragma once
// The process's resident memory as the kernel reports it in
// /proc/self/status, in kB. Every figure is 0 where it cannot be read.
class ResidentMemory {
public:
    // Resident set size now (VmRSS).
    static long currentKb();
    // Largest resident set size since the start or the last resetPeak() (VmHWM).
    static long peakKb();
    // Starts a new peak from the current size; false where the kernel does not allow it.
    static bool resetPeak();
};
