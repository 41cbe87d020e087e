// pivola-warp: the editor's Save As pipeline for the command line.
#include <cstdio>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "warp.h"

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

using pivola::files::FileError;
namespace warp = pivola::warp;

bool stderristerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

bool isfolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

bool makefolder(const std::string& path) {
#ifdef _WIN32
    return _mkdir(path.c_str()) == 0;
#else
    return mkdir(path.c_str(), 0777) == 0;
#endif
}

void report(const std::string& path, FileError e) {
    std::fprintf(stderr, "pivola-warp: %s: %s\n", path.c_str(), pivola::files::fileerrortext(e));
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    warp::Options opt;
    std::string error;
    if (!warp::parseargs(args, &opt, &error)) {
        std::fprintf(stderr, "pivola-warp: %s\n", error.c_str());
        return 2;
    }
    if (opt.help) {
        std::fputs(warp::usage(), stdout);
        return 0;
    }
    if (opt.version) {
        std::puts("pivola-warp 1.01");
        return 0;
    }

    warp::Lattice lattice;
    const warp::Lattice* lat = nullptr;
    if (!opt.dp.empty()) {
        const FileError e = warp::loadlattice(opt.dp.c_str(), &lattice);
        if (e != FileError::none) {
            report(opt.dp, e);
            return 1;
        }
        lat = &lattice;
    }

    std::vector<std::string> outputs;
    if (opt.outdir.empty()) {
        outputs.push_back(opt.output);
    } else {
        if (!isfolder(opt.outdir) && !makefolder(opt.outdir)) {
            std::fprintf(stderr, "pivola-warp: %s: cannot create the output folder\n",
                         opt.outdir.c_str());
            return 1;
        }
        std::set<std::string> seen;
        for (const std::string& in : opt.inputs) {
            outputs.push_back(warp::outputpath(opt.outdir, in));
            if (!seen.insert(outputs.back()).second) {
                std::fprintf(stderr, "pivola-warp: %s: two inputs would be written to this name\n",
                             outputs.back().c_str());
                return 2;
            }
        }
    }

    const std::size_t total = opt.inputs.size();
    const bool progress = !opt.quiet && total > 1 && stderristerminal();
    std::size_t failures = 0;
    for (std::size_t i = 0; i < total; ++i) {
        if (progress) {
            std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", i + 1, total, opt.inputs[i].c_str());
            std::fflush(stderr);
        }
        std::string failed;
        const FileError e = warp::warpfile(opt.inputs[i], outputs[i], opt, lat, &failed);
        if (e != FileError::none) {
            if (progress) std::fputs("\r\033[K", stderr);
            report(failed, e);
            ++failures;
        }
    }
    if (progress) {
        std::fprintf(stderr, "\r\033[K%zu of %zu pictures written\n", total - failures, total);
    }
    return failures ? 1 : 0;
}
