// Helpers shared by the file-layer and tool tests.
#ifndef PIVOLA_TESTS_FILES_TESTUTIL_H
#define PIVOLA_TESTS_FILES_TESTUTIL_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace testutil {

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
  public:
    TempDir() {
        std::string t = (std::filesystem::temp_directory_path() / "pivola-XXXXXX").string();
        path_ = ::mkdtemp(t.data()) ? t : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }
    std::vector<std::string> list() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_)) {
            names.push_back(e.path().filename().string());
        }
        return names;
    }

  private:
    std::string path_;
};

inline std::vector<uint8_t> readfile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

inline void writefile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void put16(std::vector<uint8_t>& b, std::size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
inline void put32(std::vector<uint8_t>& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
inline uint32_t get32(const std::vector<uint8_t>& b, std::size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

// A BMP file built field by field: 14-byte file header, info header of
// infosize bytes, palette entries (blue, green, red, reserved), then rows as
// given (already padded by the caller).
inline std::vector<uint8_t> bmpfile(int32_t width, int32_t height, int bits,
                                    const std::vector<uint32_t>& palette,
                                    const std::vector<uint8_t>& rows, uint32_t infosize = 40,
                                    uint32_t compression = 0) {
    const std::size_t off = 14 + infosize + 4 * palette.size();
    std::vector<uint8_t> b(off);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, uint32_t(off + rows.size()));
    put32(b, 10, uint32_t(off));
    put32(b, 14, infosize);
    put32(b, 18, uint32_t(width));
    put32(b, 22, uint32_t(height));
    put16(b, 26, 1);
    put16(b, 28, uint32_t(bits));
    put32(b, 30, compression);
    for (std::size_t i = 0; i < palette.size(); ++i) put32(b, 14 + infosize + 4 * i, palette[i]);
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

inline std::vector<uint32_t> randompixels(std::size_t n, uint32_t seed,
                                          uint32_t mask = 0x00FFFFFF) {
    std::mt19937 rng(seed);
    std::vector<uint32_t> v(n);
    for (auto& p : v) p = rng() & mask;
    return v;
}

}  // namespace testutil

#endif
