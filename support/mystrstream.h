// An output string stream that owns its growing character buffer and hands
// out the composed text as a C string, then rewinds for the next message.
#pragma once

#include <cstddef>
#include <ostream>
#include <streambuf>
#include <vector>

// The growing buffer behind mystrstream.
class MyStrStreamBuffer : public std::streambuf {
 public:
  MyStrStreamBuffer();
  MyStrStreamBuffer(const MyStrStreamBuffer&) = delete;
  MyStrStreamBuffer& operator=(const MyStrStreamBuffer&) = delete;

  // The text written since the last rewind, NUL-terminated, valid until the
  // next write.
  const char* text();
  // Characters written since the last rewind.
  std::size_t written() const;
  // Starts over at the beginning; the next text overwrites the previous one.
  void rewind();

 protected:
  int_type overflow(int_type ch) override;
  std::streamsize xsputn(const char_type* s, std::streamsize n) override;
  pos_type seekoff(off_type off, std::ios_base::seekdir dir,
                   std::ios_base::openmode which) override;
  pos_type seekpos(pos_type pos, std::ios_base::openmode which) override;

 private:
  // Makes room for at least `more` further characters after the put position.
  void reserve(std::size_t more);
  // Puts the put position at pos of the whole buffer.
  void setPut(std::size_t pos);
  // Remembers how far the text reaches (the put position may move back).
  void markEnd();

  std::vector<char> data_;
  std::size_t end_ = 0;
};

namespace detail {
// Holds the buffer so that it is built before the stream that uses it.
struct MyStrStreamBufferHolder {
  MyStrStreamBuffer buffer;
};
}  // namespace detail

class mystrstream : private detail::MyStrStreamBufferHolder, public std::ostream {
 public:
  mystrstream();
  mystrstream(const mystrstream&) = delete;
  mystrstream& operator=(const mystrstream&) = delete;
  ~mystrstream() override = default;

  // The text written since the last rewind, NUL-terminated. When the stream
  // is good it is rewound, so the next message is written over this one. The
  // pointer stays valid until the stream is written to again or destroyed.
  const char* str();

  // Characters written since the last rewind.
  std::size_t pcount() const { return buffer.written(); }
};
