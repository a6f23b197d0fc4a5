// A TagLib stream over an open file descriptor that notices every failed
// read or write: the first error is kept (errno) and every later write is
// refused, so a tag save on a full disk is reported instead of leaving a
// short file that looks saved.
#pragma once

#include <string>

#include <taglib/tiostream.h>

namespace mivo_host {

class FdStream : public TagLib::IOStream {
public:
    // A stream over fd (owned: closed with the stream) known as name.
    FdStream(int fd, std::string name, bool readOnly);
    ~FdStream() override;
    FdStream(const FdStream&) = delete;
    FdStream& operator=(const FdStream&) = delete;

    TagLib::FileName name() const override { return m_name.c_str(); }
    TagLib::ByteVector readBlock(unsigned long length) override;
    void writeBlock(const TagLib::ByteVector& data) override;
    void insert(const TagLib::ByteVector& data, unsigned long start = 0, unsigned long replace = 0) override;
    void removeBlock(unsigned long start = 0, unsigned long length = 0) override;
    bool readOnly() const override { return m_readOnly; }
    bool isOpen() const override { return m_fd >= 0; }
    void seek(long offset, Position p = Beginning) override;
    long tell() const override { return m_position; }
    long length() override;
    void truncate(long length) override;

    // The errno of the first failure, 0 while none.
    int Error() const { return m_error; }
    // The descriptor, for syncing once the tags are saved.
    int Fd() const { return m_fd; }

private:
    bool WriteAt(const char* data, size_t size, long offset);
    bool ReadAt(char* data, size_t size, long offset);
    bool MoveTail(long from, long to);

    int m_fd;
    std::string m_name;
    bool m_readOnly;
    long m_position = 0;
    int m_error = 0;
};

}  // namespace mivo_host
