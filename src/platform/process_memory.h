// The memory settings of a process that reads or writes large models (`ruvx export` and `convert`,
// and the benchmarks that run the same work in-process): large blocks in transparent huge pages,
// each in a mapping of its own.
#pragma once

namespace platform {

// Starts the program once more with `glibc.malloc.hugetlb=1` added to GLIBC_TUNABLES, which the C
// library reads only as a process starts. Returns when the process has it already, or when the new
// start failed (the program then goes on as it is).
void RestartWithHugePages(char** argv);

// Large blocks (256 KiB and more) each in a mapping of its own, given back to the system when
// freed: the C library would otherwise raise this threshold as they are freed and keep later ones
// in its heap, where a job's freed arrays still count against its peak.
void MapLargeBlocksApart();

}  // namespace platform
