// The safe save: a file is written under a temporary name in the target's
// folder, flushed to disk and only then moved over the target, so a failed or
// interrupted save never leaves the user with a destroyed file. On Windows the
// move is MoveFileExA with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH,
// elsewhere rename().
#ifndef PIVOLA_FILES_SAFESAVE_H
#define PIVOLA_FILES_SAFESAVE_H

#include <cstddef>
#include <cstdio>
#include <string>

namespace pivola::files {

// Length of the folder part of path, separator included (0 for a bare name).
// On Windows '\', '/' and a drive's ':' separate, and the second byte of a
// double-byte character of the ANSI code page is never taken for a '\'.
std::size_t folderlength(const std::string& path);

class SafeFile {
  public:
    SafeFile() = default;
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;
    ~SafeFile();  // abandons an uncommitted file

    // Creates the temporary file beside path. False when it cannot be
    // created (the folder does not exist or is not writable, the path is
    // empty, or the target is a folder).
    bool open(const char* path);

    // Appends bytes; false once any write has failed (later writes are
    // skipped, and commit() then fails).
    bool write(const void* data, std::size_t size);

    // Flushes, closes and moves the temporary file over the target. False
    // when anything failed; the temporary file is then removed and the
    // target is untouched.
    bool commit();

    // Closes and removes the temporary file; the target is untouched.
    void abandon();

  private:
    std::FILE* file_ = nullptr;
    std::string target_;
    std::string temp_;
    bool failed_ = false;
};

}  // namespace pivola::files

#endif
