// CMD5Checksum: the MD5 message digest of RFC 1321, as 32 lower-case
// hexadecimal digits. The plug-in hashes its own module file with it to make
// its source id.
//
// One object serves one digest and is used by one thread; the class-level
// ComputeFileHash and ComputeHash may be called from any thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/CString.h"

class CFile;

class CMD5Checksum {
public:
    // A fresh digest: empty buffer, zero bit count, the RFC 1321 initial state.
    CMD5Checksum();
    virtual ~CMD5Checksum() = default;

    // The digest text of the file at path, read in binary. Throws CFileException
    // when the file cannot be opened or read.
    static CString ComputeFileHash(const wchar_t* path);
    // The digest text of file from its current position to its end. A
    // CFileException raised by a read reaches the caller unchanged.
    static CString ComputeHash(CFile& file);

    // Feeds length bytes of input.
    void Update(const uint8_t* input, size_t length);
    // Pads, finishes the digest and returns its text. The object is spent afterwards.
    CString Final();
    // The compression function on one 64-byte block.
    void Transform(const uint8_t block[64]);

private:
    uint8_t m_lpszBuffer[64];  // not yet processed tail of the input
    uint32_t m_nCount[2];      // input bits modulo 2^64, low word first
    uint32_t m_lMD5[4];        // chaining state
};
