#pragma once
// Files that are replaced whole and never left half written: plain C++ over POSIX.
#include <string>
#include <string_view>

namespace AtomicFile {

// The file that path names at the end of its chain of symbolic links (path itself when it is no
// link); empty when the chain loops or is too long to follow.
std::string RealPath(const std::string& path);
// Reads a regular file whole; false when it is missing, not a regular file or unreadable.
bool Read(const std::string& path, std::string& data);
// Replaces the file at the end of path's chain of links by data: written to a temporary file in
// the same directory, flushed, renamed over it, and the directory flushed so that the rename
// survives a power cut. False, with the old file untouched, on any failure.
bool Replace(const std::string& path, std::string_view data);
// Removes the temporary files that interrupted Replace calls on path left behind, only those of
// processes that are gone.
void RemoveStaleTemporaries(const std::string& path);
// True when the process may create files in dir.
bool IsWritableDirectory(const std::string& dir);

}  // namespace AtomicFile
