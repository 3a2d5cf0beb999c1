// What this machine charges for memory that lay untouched for a while: reads one word
// on each of N pages after the pages were left alone for 0, 50 and 400 ms (the movie's
// frame and the dashboard's tick), on ordinary 4 KiB pages and, where the kernel gives
// them, on transparent huge pages. Prints microseconds per page and the ratio to the
// pages read again at once.
//
// The saver wakes 22 times a second and touches a few hundred pages each time, most of
// them untouched since its last wake. On a machine where such a page costs tens of
// microseconds (seen on a virtual machine: the cost is the address translation, as huge
// pages take it away), that, not the saver's arithmetic, decides what bench/saver_cpu.sh
// measures. Built natively. Usage: page_touch [PAGES] (default 400)
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kPage = 4096;
constexpr size_t kHuge = size_t{2} << 20;

// Microseconds per page to read one word on each of `pages` pages, `idle_ms` after the
// last time they were read; the median of `runs`.
double PerPage(const volatile uint8_t* memory, size_t pages, int idle_ms, int runs) {
  double best[16];
  uint64_t sink = 0;
  for (size_t p = 0; p < pages; ++p) sink += memory[p * kPage];
  for (int r = 0; r < runs; ++r) {
    std::this_thread::sleep_for(std::chrono::milliseconds(idle_ms));
    const auto start = Clock::now();
    for (size_t p = 0; p < pages; ++p) sink += memory[p * kPage];
    best[r] = std::chrono::duration<double, std::micro>(Clock::now() - start).count() /
              static_cast<double>(pages);
  }
  for (int i = 1; i < runs; ++i)  // insertion sort: a handful of runs
    for (int j = i; j > 0 && best[j] < best[j - 1]; --j) std::swap(best[j], best[j - 1]);
  if (sink == 42) std::puts("");  // keeps the reads
  return best[runs / 2];
}

// The kernel's count of this process's anonymous huge pages, in KiB; -1 where unknown.
long HugeKib() {
#if defined(__linux__)
  FILE* file = std::fopen("/proc/self/smaps_rollup", "r");
  if (!file) return -1;
  char line[256];
  long kib = -1;
  while (std::fgets(line, sizeof line, file))
    if (std::strncmp(line, "AnonHugePages:", 14) == 0) kib = std::atol(line + 14);
  std::fclose(file);
  return kib;
#else
  return -1;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  const size_t pages = argc > 1 ? static_cast<size_t>(std::atol(argv[1])) : 400;
  if (pages == 0 || pages > 65536) {
    std::fprintf(stderr, "page_touch: PAGES must be 1 to 65536\n");
    return 1;
  }
  const size_t bytes = (pages * kPage + kHuge - 1) / kHuge * kHuge;
  for (const bool huge : {false, true}) {
#if defined(__linux__)
    // Straight from the kernel, a huge page's size more than needed to start on one.
    void* mapping =
        ::mmap(nullptr, bytes + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) return 1;
    const auto start = (reinterpret_cast<uintptr_t>(mapping) + kHuge - 1) / kHuge * kHuge;
    void* block = reinterpret_cast<void*>(start);
    ::madvise(block, bytes, huge ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
#else
    if (huge) break;
    void* block = std::malloc(bytes);
    if (!block) return 1;
#endif
    auto* memory = static_cast<volatile uint8_t*>(block);
    for (size_t i = 0; i < bytes; i += 64) memory[i] = 1;
    const double warm = PerPage(memory, pages, 0, 9);
    std::printf("%s, %zu pages of 4 KiB (huge pages held: %ld KiB):\n",
                huge ? "asked for transparent huge pages" : "4 KiB pages", pages, HugeKib());
    std::printf("  read again at once:     %8.3f us a page\n", warm);
    for (const int idle : {50, 400}) {
      const double cold = PerPage(memory, pages, idle, 7);
      std::printf("  untouched for %3d ms:   %8.3f us a page, %6.0f times\n", idle, cold,
                  warm > 0 ? cold / warm : 0.0);
    }
#if defined(__linux__)
    ::munmap(mapping, bytes + kHuge);
#else
    std::free(block);
#endif
  }
  return 0;
}
