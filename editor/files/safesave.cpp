// The safe save: write beside the target, flush to disk, then replace.
#include "safesave.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace pivola::files {

// Narrow Windows paths are in the ANSI code page, where the second byte of a
// double-byte character can be 0x5C ('\'); such bytes are not separators.
std::size_t folderlength(const std::string& path) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
#ifdef _WIN32
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (c == '\\' || c == ':') end = i + 1;
#endif
        if (c == '/') end = i + 1;
    }
    return end;
}

namespace {

bool isfolder(const char* path) {
    struct stat st;
    return ::stat(path, &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

// Creates a new file that did not exist; -1 when that fails.
int createnew(const std::string& name) {
#ifdef _WIN32
    return ::_open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
}

unsigned processid() {
#ifdef _WIN32
    return unsigned(::_getpid());
#else
    return unsigned(::getpid());
#endif
}

bool synctodisk(std::FILE* f) {
#ifdef _WIN32
    return ::_commit(::_fileno(f)) == 0;
#else
    return ::fsync(::fileno(f)) == 0;
#endif
}

bool replacefile(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return ::MoveFileExA(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

SafeFile::~SafeFile() {
    abandon();
}

bool SafeFile::open(const char* path) {
    abandon();
    if (!path || !*path || isfolder(path)) return false;
    target_ = path;
    const std::string folder = target_.substr(0, folderlength(target_));
    static unsigned counter = 0;
    const unsigned seed = processid() * 2654435761u ^ unsigned(std::time(nullptr));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "~pv%08x.tmp", (seed + ++counter * 40503u) & 0xFFFFFFFFu);
        const std::string temp = folder + name;
        const int fd = createnew(temp);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            break;
        }
#ifndef _WIN32
        // Keep the permissions of the file being replaced.
        struct stat st;
        if (::stat(path, &st) == 0) (void)::fchmod(fd, st.st_mode & 07777);
        file_ = ::fdopen(fd, "wb");
#else
        file_ = ::_fdopen(fd, "wb");
#endif
        if (!file_) {
#ifdef _WIN32
            ::_close(fd);
#else
            ::close(fd);
#endif
            std::remove(temp.c_str());
            break;
        }
        temp_ = temp;
        failed_ = false;
        return true;
    }
    target_.clear();
    return false;
}

bool SafeFile::write(const void* data, std::size_t size) {
    if (!file_ || failed_) return false;
    if (size && std::fwrite(data, 1, size, file_) != size) failed_ = true;
    return !failed_;
}

bool SafeFile::commit() {
    if (!file_) return false;
    bool ok = !failed_ && std::fflush(file_) == 0 && !std::ferror(file_) && synctodisk(file_);
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (ok) ok = replacefile(temp_, target_);
    if (!ok) std::remove(temp_.c_str());
    temp_.clear();
    target_.clear();
    return ok;
}

void SafeFile::abandon() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
        std::remove(temp_.c_str());
    }
    temp_.clear();
    target_.clear();
    failed_ = false;
}

}  // namespace pivola::files
