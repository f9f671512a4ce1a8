#include "engine/base/VStr.h"

#include <charconv>
#include <cstring>

namespace VStr {
namespace {

const char* TextOf(const char* s) { return s != nullptr ? s : ""; }

// Replaces the owner's block by a new one that is already built.
void Replace(char** p, char* fresh) {
  if (p == nullptr) {
    delete[] fresh;
    return;
  }
  delete[] * p;
  *p = fresh;
}

}  // namespace

bool Equal(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return std::strcmp(a, b) == 0;
}

bool IsEmpty(const char* s) { return s == nullptr || s[0] == '\0'; }

void Release(char** p) {
  if (p == nullptr) return;
  delete[] * p;
  *p = nullptr;
}

char* Allocate(int n) {
  if (n == -1) return nullptr;
  const size_t size = n > 0 ? static_cast<size_t>(n) : 1;
  return new char[size]();
}

char* Duplicate(const char* s) {
  if (s == nullptr) return nullptr;
  const size_t n = std::strlen(s);
  char* copy = new char[n + 1];
  std::memcpy(copy, s, n + 1);
  return copy;
}

void Assign(char** p, const char* s) {
  if (s == nullptr) {
    Release(p);
    return;
  }
  Replace(p, Duplicate(s));
}

char* DuplicateN(const char* s, int n) {
  if (s == nullptr) return nullptr;
  const size_t limit = n > 0 ? static_cast<size_t>(n) : 0;
  char* copy = new char[limit + 1]();
  size_t i = 0;
  while (i < limit && s[i] != '\0') {
    copy[i] = s[i];
    ++i;
  }
  return copy;
}

void AssignN(char** p, const char* s, int n) {
  if (s == nullptr) {
    Release(p);
    return;
  }
  Replace(p, DuplicateN(s, n));
}

void Reset(char** p, int n) { Replace(p, Allocate(n > 0 ? n : 0)); }

int LastChar(const char* s) { return Length(s) - 1; }

char* NextToken(const char** cursor, const char* delimiters, char* met) {
  if (cursor == nullptr || *cursor == nullptr) return nullptr;
  const char* pos = *cursor;
  const size_t n = std::strcspn(pos, TextOf(delimiters));
  if (met != nullptr) *met = pos[n];
  // Only the token, its delimiter and the character after it are looked at,
  // so that cutting a long text costs its length once, not once per token.
  if (pos[n] == '\0') {
    // No delimiter: the end of the text, or used up when nothing was left.
    *cursor = n > 0 ? pos + n : nullptr;
  } else if (n > 0 && pos[n + 1] == '\0') {
    // A delimiter that ends the text after a token: used up.
    *cursor = nullptr;
  } else {
    *cursor = pos + n + 1;
  }
  return n > 0 ? DuplicateN(pos, static_cast<int>(n)) : Allocate(1);
}

char* NextToken(char** cursor, const char* delimiters, char* met) {
  if (cursor == nullptr) return nullptr;
  const char* pos = *cursor;
  char* token = NextToken(&pos, delimiters, met);
  // The position only ever moves forward inside the caller's own text.
  *cursor = pos == nullptr ? nullptr : *cursor + (pos - *cursor);
  return token;
}

bool SplitKeyValue(char* s, char** key, char** value) {
  if (s == nullptr) return false;
  char* colon = std::strchr(s, ':');
  if (colon == nullptr) return false;
  char* start = colon + 1;
  char* end = std::strchr(start, '\t');
  if (end == nullptr) end = std::strchr(start, '\n');
  if (end == nullptr) end = start + std::strlen(start);
  char* v = DuplicateN(start, static_cast<int>(end - start));
  *colon = '\0';
  char* k = Duplicate(s);
  Replace(key, k);
  Replace(value, v);
  return true;
}

char* FromInt(int n) {
  // Room for the sign, ten digits and the terminating zero.
  constexpr int kSize = 12;
  char* block = new char[kSize]();
  std::to_chars(block, block + kSize - 1, n);
  return block;
}

char* Concat(const char* a, const char* b) {
  const size_t la = std::strlen(TextOf(a));
  const size_t lb = std::strlen(TextOf(b));
  char* block = new char[la + lb + 1];
  std::memcpy(block, TextOf(a), la);
  std::memcpy(block + la, TextOf(b), lb);
  block[la + lb] = '\0';
  return block;
}

void AssignConcat(char** p, const char* a, const char* b) { Replace(p, Concat(a, b)); }

int Length(const char* s) { return s == nullptr ? 0 : static_cast<int>(std::strlen(s)); }

void Append(char** p, const char* s) {
  if (p == nullptr || *p == nullptr) return;
  Replace(p, Concat(*p, s));
}

}  // namespace VStr
