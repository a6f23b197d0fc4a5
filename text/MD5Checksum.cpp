// MD5 (RFC 1321): block compression, padding and the hexadecimal text form,
// and the hashing of a whole file through CFile.
//
// Input words are read little-endian with memcpy, which compiles to plain
// loads on little-endian machines; the round steps are fully unrolled with
// their constants inline so the compiler keeps the state in registers.
#include "text/MD5Checksum.h"

#include <bit>
#include <cstring>
#include <vector>

#include "platform/File.h"

namespace {

// The pad appended by Final: 0x80 then zeros.
const uint8_t kPadding[64] = {0x80};

// The file is read in large blocks: the digest does not depend on the block
// size, and fewer system calls keep the hash as fast as the system's tools.
constexpr unsigned kReadBlockSize = 64 * 1024;

inline uint32_t LoadLittleEndian(const uint8_t* p) {
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap32(value);
    return value;
}

inline void StoreLittleEndian(uint8_t* p, uint32_t value) {
    if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap32(value);
    std::memcpy(p, &value, sizeof value);
}

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// The four auxiliary functions in forms that need fewer operations than the
// textbook ones but give the same values.
inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); }
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) { return (x & z) + (y & ~z); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

#define MD5_STEP(f, a, b, c, d, x, s, ac) \
    (a) += f((b), (c), (d)) + (x) + static_cast<uint32_t>(ac); \
    (a) = RotateLeft((a), (s)) + (b);

}  // namespace

CMD5Checksum::CMD5Checksum() {
    std::memset(m_lpszBuffer, 0, sizeof m_lpszBuffer);
    m_nCount[0] = m_nCount[1] = 0;
    m_lMD5[0] = 0x67452301;
    m_lMD5[1] = 0xefcdab89;
    m_lMD5[2] = 0x98badcfe;
    m_lMD5[3] = 0x10325476;
}

CString CMD5Checksum::ComputeFileHash(const wchar_t* path) {
    CFile file(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary);
    return ComputeHash(file);
}

CString CMD5Checksum::ComputeHash(CFile& file) {
    CMD5Checksum checksum;
    std::vector<uint8_t> block(kReadBlockSize);
    for (;;) {
        const unsigned n = file.Read(block.data(), kReadBlockSize);
        if (n == 0) break;
        checksum.Update(block.data(), n);
    }
    return checksum.Final();
}

void CMD5Checksum::Update(const uint8_t* input, size_t length) {
    // Fill level of the block buffer before this input, in bytes.
    size_t index = (m_nCount[0] >> 3) & 0x3F;

    // Bit count modulo 2^64: low word with carry, then the high bits of the length.
    const uint32_t lowBits = static_cast<uint32_t>(length << 3);
    m_nCount[0] += lowBits;
    if (m_nCount[0] < lowBits) ++m_nCount[1];
    m_nCount[1] += static_cast<uint32_t>(static_cast<uint64_t>(length) >> 29);

    const size_t partLength = 64 - index;
    size_t i = 0;
    if (length >= partLength) {
        std::memcpy(&m_lpszBuffer[index], input, partLength);
        Transform(m_lpszBuffer);
        for (i = partLength; i + 63 < length; i += 64) Transform(&input[i]);
        index = 0;
    }
    if (i < length) std::memcpy(&m_lpszBuffer[index], &input[i], length - i);
}

CString CMD5Checksum::Final() {
    uint8_t bits[8];
    StoreLittleEndian(bits, m_nCount[0]);
    StoreLittleEndian(bits + 4, m_nCount[1]);

    const size_t index = (m_nCount[0] >> 3) & 0x3F;
    const size_t padLength = index < 56 ? 56 - index : 120 - index;
    Update(kPadding, padLength);
    Update(bits, 8);

    uint8_t digest[16];
    for (int i = 0; i < 4; ++i) StoreLittleEndian(digest + 4 * i, m_lMD5[i]);

    static const wchar_t kHexDigits[] = L"0123456789abcdef";
    wchar_t text[33];
    for (int i = 0; i < 16; ++i) {
        text[2 * i] = kHexDigits[digest[i] >> 4];
        text[2 * i + 1] = kHexDigits[digest[i] & 0x0F];
    }
    text[32] = 0;
    return CString(text, 32);
}

void CMD5Checksum::Transform(const uint8_t block[64]) {
    uint32_t a = m_lMD5[0], b = m_lMD5[1], c = m_lMD5[2], d = m_lMD5[3];
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = LoadLittleEndian(block + 4 * i);

    // Round 1
    MD5_STEP(F, a, b, c, d, x[0], 7, 0xd76aa478)
    MD5_STEP(F, d, a, b, c, x[1], 12, 0xe8c7b756)
    MD5_STEP(F, c, d, a, b, x[2], 17, 0x242070db)
    MD5_STEP(F, b, c, d, a, x[3], 22, 0xc1bdceee)
    MD5_STEP(F, a, b, c, d, x[4], 7, 0xf57c0faf)
    MD5_STEP(F, d, a, b, c, x[5], 12, 0x4787c62a)
    MD5_STEP(F, c, d, a, b, x[6], 17, 0xa8304613)
    MD5_STEP(F, b, c, d, a, x[7], 22, 0xfd469501)
    MD5_STEP(F, a, b, c, d, x[8], 7, 0x698098d8)
    MD5_STEP(F, d, a, b, c, x[9], 12, 0x8b44f7af)
    MD5_STEP(F, c, d, a, b, x[10], 17, 0xffff5bb1)
    MD5_STEP(F, b, c, d, a, x[11], 22, 0x895cd7be)
    MD5_STEP(F, a, b, c, d, x[12], 7, 0x6b901122)
    MD5_STEP(F, d, a, b, c, x[13], 12, 0xfd987193)
    MD5_STEP(F, c, d, a, b, x[14], 17, 0xa679438e)
    MD5_STEP(F, b, c, d, a, x[15], 22, 0x49b40821)

    // Round 2
    MD5_STEP(G, a, b, c, d, x[1], 5, 0xf61e2562)
    MD5_STEP(G, d, a, b, c, x[6], 9, 0xc040b340)
    MD5_STEP(G, c, d, a, b, x[11], 14, 0x265e5a51)
    MD5_STEP(G, b, c, d, a, x[0], 20, 0xe9b6c7aa)
    MD5_STEP(G, a, b, c, d, x[5], 5, 0xd62f105d)
    MD5_STEP(G, d, a, b, c, x[10], 9, 0x02441453)
    MD5_STEP(G, c, d, a, b, x[15], 14, 0xd8a1e681)
    MD5_STEP(G, b, c, d, a, x[4], 20, 0xe7d3fbc8)
    MD5_STEP(G, a, b, c, d, x[9], 5, 0x21e1cde6)
    MD5_STEP(G, d, a, b, c, x[14], 9, 0xc33707d6)
    MD5_STEP(G, c, d, a, b, x[3], 14, 0xf4d50d87)
    MD5_STEP(G, b, c, d, a, x[8], 20, 0x455a14ed)
    MD5_STEP(G, a, b, c, d, x[13], 5, 0xa9e3e905)
    MD5_STEP(G, d, a, b, c, x[2], 9, 0xfcefa3f8)
    MD5_STEP(G, c, d, a, b, x[7], 14, 0x676f02d9)
    MD5_STEP(G, b, c, d, a, x[12], 20, 0x8d2a4c8a)

    // Round 3
    MD5_STEP(H, a, b, c, d, x[5], 4, 0xfffa3942)
    MD5_STEP(H, d, a, b, c, x[8], 11, 0x8771f681)
    MD5_STEP(H, c, d, a, b, x[11], 16, 0x6d9d6122)
    MD5_STEP(H, b, c, d, a, x[14], 23, 0xfde5380c)
    MD5_STEP(H, a, b, c, d, x[1], 4, 0xa4beea44)
    MD5_STEP(H, d, a, b, c, x[4], 11, 0x4bdecfa9)
    MD5_STEP(H, c, d, a, b, x[7], 16, 0xf6bb4b60)
    MD5_STEP(H, b, c, d, a, x[10], 23, 0xbebfbc70)
    MD5_STEP(H, a, b, c, d, x[13], 4, 0x289b7ec6)
    MD5_STEP(H, d, a, b, c, x[0], 11, 0xeaa127fa)
    MD5_STEP(H, c, d, a, b, x[3], 16, 0xd4ef3085)
    MD5_STEP(H, b, c, d, a, x[6], 23, 0x04881d05)
    MD5_STEP(H, a, b, c, d, x[9], 4, 0xd9d4d039)
    MD5_STEP(H, d, a, b, c, x[12], 11, 0xe6db99e5)
    MD5_STEP(H, c, d, a, b, x[15], 16, 0x1fa27cf8)
    MD5_STEP(H, b, c, d, a, x[2], 23, 0xc4ac5665)

    // Round 4
    MD5_STEP(I, a, b, c, d, x[0], 6, 0xf4292244)
    MD5_STEP(I, d, a, b, c, x[7], 10, 0x432aff97)
    MD5_STEP(I, c, d, a, b, x[14], 15, 0xab9423a7)
    MD5_STEP(I, b, c, d, a, x[5], 21, 0xfc93a039)
    MD5_STEP(I, a, b, c, d, x[12], 6, 0x655b59c3)
    MD5_STEP(I, d, a, b, c, x[3], 10, 0x8f0ccc92)
    MD5_STEP(I, c, d, a, b, x[10], 15, 0xffeff47d)
    MD5_STEP(I, b, c, d, a, x[1], 21, 0x85845dd1)
    MD5_STEP(I, a, b, c, d, x[8], 6, 0x6fa87e4f)
    MD5_STEP(I, d, a, b, c, x[15], 10, 0xfe2ce6e0)
    MD5_STEP(I, c, d, a, b, x[6], 15, 0xa3014314)
    MD5_STEP(I, b, c, d, a, x[13], 21, 0x4e0811a1)
    MD5_STEP(I, a, b, c, d, x[4], 6, 0xf7537e82)
    MD5_STEP(I, d, a, b, c, x[11], 10, 0xbd3af235)
    MD5_STEP(I, c, d, a, b, x[2], 15, 0x2ad7d2bb)
    MD5_STEP(I, b, c, d, a, x[9], 21, 0xeb86d391)

    m_lMD5[0] += a;
    m_lMD5[1] += b;
    m_lMD5[2] += c;
    m_lMD5[3] += d;
}
