// Start-up memory: lets glibc back the heap with transparent huge pages.
#pragma once

#include <string>

// llvmpipe zeroes every texture's memory as it creates it, and faulting a
// gigabyte of thumbnails in 4 KB pages costs seconds (about 4 s a gigabyte
// on a virtual machine, 1.7 s with huge pages). glibc asks for huge pages
// only when its tunable is set before the process starts, so when the
// kernel gives them on request and the tunable is unset, this restarts the
// program once with it set. Returns only when no restart was needed or it
// failed.
void restartWithHugePages(char** argv);
// The GLIBC_TUNABLES value to restart with, given the current one (null when
// unset) and the kernel's transparent_hugepage/enabled line; "" when no
// restart is wanted.
std::string hugePagesRestartTunables(const char* tunables, const std::string& kernelModes);
