// Why a file operation failed. The editor turns these into its own message
// boxes; the batch tool prints fileerrortext() after the file name.
#ifndef PIVOLA_FILES_FILEERROR_H
#define PIVOLA_FILES_FILEERROR_H

namespace pivola::files {

enum class FileError {
    none = 0,
    cannotopen,   // the file cannot be opened or created
    readfailed,   // a read failed, or the file is too short for its header
    writefailed,  // a write, the flush or the final replace failed
    notbmp,       // the first two bytes are not "BM", or the header is cut short
    unsupported,  // a depth or compression this program does not read
    badsize,      // width or height zero, negative, or too large to allocate
    badoffset,    // a header points at data inside the headers
    badcounts,    // grid counts outside kGridMin..kGridMax
    nomemory,     // an allocation failed
};

// A short English description ("cannot open the file", ...).
const char* fileerrortext(FileError e);

}  // namespace pivola::files

#endif
