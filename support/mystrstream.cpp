#include "support/mystrstream.h"

#include <algorithm>
#include <cstring>
#include <locale>

namespace {
constexpr std::size_t kInitialSize = 256;
}

MyStrStreamBuffer::MyStrStreamBuffer() : data_(kInitialSize) { setPut(0); }

void MyStrStreamBuffer::setPut(std::size_t pos) {
  // The put area leaves one character spare for the terminating NUL.
  setp(data_.data(), data_.data() + data_.size() - 1);
  // pbump takes an int: move in steps for very long texts.
  while (pos > 0) {
    const std::size_t step = std::min<std::size_t>(pos, 1u << 30);
    pbump(static_cast<int>(step));
    pos -= step;
  }
}

void MyStrStreamBuffer::markEnd() {
  end_ = std::max(end_, static_cast<std::size_t>(pptr() - pbase()));
}

void MyStrStreamBuffer::reserve(std::size_t more) {
  const auto pos = static_cast<std::size_t>(pptr() - pbase());
  // One spare character for the terminating NUL.
  const std::size_t needed = pos + more + 1;
  if (needed <= data_.size()) return;
  markEnd();
  data_.resize(std::max(needed, data_.size() * 2));
  setPut(pos);
}

MyStrStreamBuffer::int_type MyStrStreamBuffer::overflow(int_type ch) {
  if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
  reserve(1);
  *pptr() = traits_type::to_char_type(ch);
  pbump(1);
  return ch;
}

std::streamsize MyStrStreamBuffer::xsputn(const char_type* s, std::streamsize n) {
  if (n <= 0) return 0;
  const auto count = static_cast<std::size_t>(n);
  reserve(count);
  const auto pos = static_cast<std::size_t>(pptr() - pbase());
  std::memcpy(pptr(), s, count);
  setPut(pos + count);
  return n;
}

MyStrStreamBuffer::pos_type MyStrStreamBuffer::seekoff(off_type off, std::ios_base::seekdir dir,
                                                       std::ios_base::openmode which) {
  if (!(which & std::ios_base::out) || (which & std::ios_base::in)) return pos_type(off_type(-1));
  markEnd();
  const auto pos = static_cast<off_type>(pptr() - pbase());
  off_type target = off;
  if (dir == std::ios_base::cur) {
    target = pos + off;
  } else if (dir == std::ios_base::end) {
    target = static_cast<off_type>(end_) + off;
  }
  if (target < 0 || target > static_cast<off_type>(end_)) return pos_type(off_type(-1));
  if (target != pos) setPut(static_cast<std::size_t>(target));
  return pos_type(target);
}

MyStrStreamBuffer::pos_type MyStrStreamBuffer::seekpos(pos_type pos,
                                                       std::ios_base::openmode which) {
  return seekoff(off_type(pos), std::ios_base::beg, which);
}

std::size_t MyStrStreamBuffer::written() const {
  return std::max(end_, static_cast<std::size_t>(pptr() - pbase()));
}

const char* MyStrStreamBuffer::text() {
  const std::size_t n = written();
  data_[n] = '\0';  // the put area always leaves this character spare
  return data_.data();
}

void MyStrStreamBuffer::rewind() {
  end_ = 0;
  setPut(0);
}

mystrstream::mystrstream() : std::ostream(&buffer) { imbue(std::locale::classic()); }

const char* mystrstream::str() {
  const char* text = buffer.text();
  if (good()) buffer.rewind();
  return text;
}
