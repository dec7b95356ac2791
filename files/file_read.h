// Reading a whole file that comes from outside: without blocking, only a regular file, and never
// more than a bound, however large the file is or grows.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace rinova::files {

enum class ReadOutcome {
    Read,
    Missing,    // no such file (or a part of its path is missing)
    NotRegular, // a folder, device, pipe or socket: never read
    TooLarge,   // larger than the bound when opened
    NoMemory,   // the bytes did not fit in memory
    Failed,     // the system refused: see error
};

struct FileContent {
    ReadOutcome outcome = ReadOutcome::Missing;
    int error = 0; // errno for Missing and Failed
    std::string bytes;
    struct stat st {}; // the file as it was opened (st_size: its size then)
};

// Opens `path` without blocking (a named pipe with no writer holds nobody up) and reads it when
// it is a regular file of at most `bound` bytes. A file that grows meanwhile is read up to the
// size it had when opened, never without end.
FileContent readRegularFile(const QByteArray& path, std::uint64_t bound);

// Bytes of memory this process may still take: what the system has available, within the limits
// set for the process and its control group.
std::uint64_t availableMemory();

} // namespace rinova::files
