// Null-safe functions over zero-terminated character strings held in blocks
// allocated with new[]. A function that returns a string hands the caller a
// new block, which the caller releases with VStr::Release. A null pointer is
// the absence of a text and is distinct from the empty text.
//
// Functions that replace a string take the address of the owner's pointer
// (which must hold null or a block from these functions): the new text is
// built first, then the old block is released and the new pointer stored,
// so the new text may be built from the old one.
#pragma once

namespace VStr {

// True when both are null, false when only one is null, else whether the
// texts are equal byte by byte.
bool Equal(const char* a, const char* b);

// True for null and for the empty text.
bool IsEmpty(const char* s);

// Releases the block (if any) and sets the pointer to null.
void Release(char** p);

// A new block of n zero bytes (at least one, so the block always holds a
// text); n == -1 gives null, any other negative n counts as 0.
char* Allocate(int n);

// Null for null, else a new copy of s.
char* Duplicate(const char* s);

// s null: the same as Release; else *p gets a new copy of s.
void Assign(char** p, const char* s);

// Null for null s; else a new zero-filled block of n + 1 bytes holding at
// most the first n characters of s. A negative n counts as 0.
char* DuplicateN(const char* s, int n);

// s null: Release; else *p gets what DuplicateN(s, n) gives.
void AssignN(char** p, const char* s, int n);

// *p gets a new zero-filled block of n bytes (an empty text with room for
// n - 1 characters; a block of one byte for n < 1).
void Reset(char** p, int n);

// The index of the last character of s: Length(s) - 1, so -1 for the empty
// text and for null, and a scan `for (int i = 0; i <= LastChar(s); ++i)`
// runs zero times on them.
int LastChar(const char* s);

// The tokenizer of every parser. Takes the next token from the position that
// *cursor holds, up to the first character of delimiters, and consumes
// exactly one delimiter: adjacent delimiters give an empty token, a text
// that ends without a delimiter gives one extra empty token before the end,
// and a text whose last character is a delimiter after a token gives none.
// met, when given, receives the delimiter that ended the token, or 0 at the
// end of the text. Gives null (and changes nothing) when cursor or *cursor
// is null; otherwise a new block. The text itself is never modified.
char* NextToken(const char** cursor, const char* delimiters, char* met = nullptr);
char* NextToken(char** cursor, const char* delimiters, char* met = nullptr);

// Splits "name:value": the value runs from the first colon to the first
// tab after it, else the first newline after it, else the end of s. The
// colon in s is overwritten by a zero, so s keeps only the name. *key and
// *value get new copies. False (nothing changes) when s is null or has no
// colon.
bool SplitKeyValue(char* s, char** key, char** value);

// n in decimal (with a minus sign when negative), in a new block.
char* FromInt(int n);

// A new block of exactly Length(a) + Length(b) + 1 bytes holding a followed
// by b; null reads as the empty text.
char* Concat(const char* a, const char* b);

// *p gets a new block holding a followed by b (either may be the text that
// *p holds); null reads as the empty text.
void AssignConcat(char** p, const char* a, const char* b);

// 0 for null, else the number of characters.
int Length(const char* s);

// Appends s to the text that *p holds: the result goes into a new block and
// the old one is released. A null *p is left alone; a null s appends nothing.
void Append(char** p, const char* s);

}  // namespace VStr
