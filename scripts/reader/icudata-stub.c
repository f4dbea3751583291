/* An empty ICU data library: a table of contents with no entries under the
 * data symbol ICU looks for (ICUDT_SYMBOL, e.g. icudt72_dat). Qt's text codecs
 * for UTF-8, UTF-16 and Latin-1 and its case tables are its own; what would
 * need ICU's data (collation, other codecs) fails gracefully instead. */
#include <stdint.h>

#ifndef ICUDT_SYMBOL
#error "build with -DICUDT_SYMBOL=icudtNN_dat"
#endif

struct IcuDataHeader {
    uint16_t headerSize;
    uint8_t magic1, magic2;
    struct {
        uint16_t size, reserved;
        uint8_t isBigEndian, charsetFamily, sizeofUChar, reservedByte;
        uint8_t dataFormat[4], formatVersion[4], dataVersion[4];
    } info;
    char padding[8];
    uint32_t count, reserved;
    uint32_t toc[4];
};

__attribute__((visibility("default"))) const struct IcuDataHeader ICUDT_SYMBOL = {
    32,  0xda, 0x27, {20, 0, 0, 0, 2, 0, {'T', 'o', 'C', 'P'}, {1, 0, 0, 0}, {0, 0, 0, 0}},
    {0}, 0,    0,    {0, 0, 0, 0}};
