// Little-endian field access for the file formats (internal to the library).
#ifndef PIVOLA_FILES_LE_H
#define PIVOLA_FILES_LE_H

#include <cstdint>

namespace pivola::files::le {

inline uint16_t get16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline int32_t geti32(const uint8_t* p) {
    return int32_t(get32(p));
}

inline void put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void put32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void puti32(uint8_t* p, int32_t v) {
    put32(p, uint32_t(v));
}

}  // namespace pivola::files::le

#endif
