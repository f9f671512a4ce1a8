// The intonation array of a composer: the F0 curve of a run as one cell per
// time quantum of phone time, each cell a relative F0 factor (1.0 when
// built), with one link per character of the working text that names the
// cells of its phone. The intonation modules and the phrase templates
// multiply ranges of cells; the phone-text generator turns the cells into Hz
// (SetFlat) and samples them. The component's integer holds the time quantum
// (ms) and its prepared flag the prepared state.
//
// Positions are character pointers into the working text; they are only
// compared (std::less), never subtracted. Cells are addressed by index: the
// links hold the indexes of their phone's first and last cell, and the
// cursor (the last cell that a contour operation reached) is an index, -1
// when there is none.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "engine/composer/VComponent.h"
#include "engine/data/_contour_.h"

class _token_;

// One character of the working text and the cells of its phone.
struct _link_ {
  const char* start = nullptr;  // the character in the working text
  int first = -1;               // the phone's first cell; -1: the character is not a phone
  int last = -1;                // the phone's last cell; first - 1 when the phone has no cells

  bool IsPhone() const { return first >= 0; }
  int CellCount() const { return IsPhone() ? last - first + 1 : 0; }
};

class VIntonation : public VComponent {
 public:
  // The settings of the current character that a preparation reads.
  static constexpr const char* kTimeQuantumKey = "TIMEQUANTUM";
  static constexpr const char* kReferenceKey = "Intonation reference";

  // The values before the first preparation.
  static constexpr int kDefaultTimeQuantum = 20;
  static constexpr int kDefaultReference = 0;

  // Results of Prepare.
  static constexpr int kPrepared = 1;
  static constexpr int kEmptyText = 2;
  static constexpr int kNoDuration = 0;
  static constexpr int kLinksFailed = -1;
  static constexpr int kNoComposer = -2;
  static constexpr int kCellsFailed = -3;
  static constexpr int kBadTimeQuantum = -4;

  // The source place named by the reports of CheckedRange
  // ("VIntonation:203"...). The numbers are fixed texts of the reports, not
  // lines of a file: keep them as they are.
  static constexpr const char* kSourcePath = "VIntonation";
  static constexpr int kNoLinksLine = 203;
  static constexpr int kNoSizeLine = 210;
  static constexpr int kBadRangeLine = 221;

  VIntonation();
  VIntonation(const VIntonation&) = delete;
  VIntonation& operator=(const VIntonation&) = delete;
  virtual ~VIntonation();

  // Builds the links and cells from the finalised durations of the
  // composer's VDuration (which it finalises): 1 built or already prepared;
  // 2 the working text is empty (no links); 0 the phones have no duration
  // (links, no cells); -1 the links or -3 the cells cannot be allocated
  // (error line in the engine log); -4 a time quantum of 0 or below (error
  // report, once per run with the duration array's); -2 no composer (error report
  // "VIntonation::Prepare"). Every rebuild first drops the old links, cells and cursor.
  int Prepare();

  // Prepare; 0 when that gives less than 1. Otherwise every cell of every
  // phone is multiplied by GetBaseF0() (the curve becomes Hz) and the
  // result is 1.
  int SetFlat();

  // reference x scale, truncated toward zero (kept within int).
  int GetBaseF0() const;
  // The pitch scale (the composer's setting, 0.5 to 2.0); written by the GUI
  // thread, read by the thread of the run.
  void SetScale(float scale) { scale_.store(scale); }
  float GetScale() const { return scale_.load(); }

  // Not prepared, and a new run for the report of a bad time quantum; the
  // links and cells stay until the next preparation. 1.
  int Reset();

  // The index of the link whose character is pos; -1 when there is none.
  int IndexAt(const char* pos) const;

  // The first cell of the phone at pos, *count its number of cells. Null
  // and 0 when pos has no link or its character is not a phone; a phone
  // without cells gives the place of its first cell and 0. count may be
  // null.
  float* CellsAt(const char* pos, int* count);

  // For a phone with cells: the cell ((cells - 1) x pct) / 100 from its
  // first, pct taken within 0..100. When pos has no link: the cursor cell,
  // or null when there is no cursor. Null for a character that is not a
  // phone and for a phone without cells.
  float* CellAtPercent(const char* pos, int pct);

  // Turns two positions into a range of link indexes: *first the lowest
  // link at or after from, *last the lowest at or after to. True when both
  // are links and *last >= *first. Otherwise the error report receives
  // "VIntonation:203" (no preparation has made links: none yet, or the last
  // one failed), "VIntonation:210" (the last preparation found an empty
  // text) or "VIntonation:221" with the size, both indexes and the text from
  // each position on, and the result is false (*first and *last unchanged).
  bool CheckedRange(const char* from, const char* to, int* first, int* last);

  // Multiplies every cell of every phone of the range by *factor. With
  // setCursor, the cursor becomes the cell just before the first cell of
  // the range's last character (none when that character is not a phone or
  // its first cell is cell 0).
  void MultiplyRange(const char* from, const char* to, const float* factor, bool setCursor);

  // Multiplies the cells of the range (from the first cell of its first
  // phone to the last cell of its last phone) by the piecewise-linear
  // contour; the cursor ends on the last cell multiplied. With joinPrevious
  // the contour's first factor is taken times the cell before the range,
  // with joinNext its last factor times the cell after it; the caller's
  // contour is not changed. A range without cells is left alone.
  void ApplyContour(const char* from, const char* to, const _contour_* contour, bool joinPrevious,
                    bool joinNext);

  // Moves the F0 factor over the phones of the span: labels is a list of
  // "name:value" texts separated by single blanks; the phones that have one
  // of them are the anchors. The level moves from base (startValue, times
  // the last cell before the span with continuePrevious) at the first anchor
  // to base x ratio at the last (VLib::ValueInRange), rising over the first
  // fraction `rise` of each anchor; the phones between anchors keep the
  // level reached. Without anchors the level is base x ratio.
  void ApplyTargets(const char* from, const char* to, const char* labels, float startValue,
                    float ratio, float rise, bool continuePrevious);
  // ApplyTargets from the token's first to its last character; nothing for
  // a null token.
  void ApplyTargetsToToken(const _token_* token, const char* labels, float startValue, float ratio,
                           float rise, bool continuePrevious);

  // The value of the cursor cell; 1.0 when there is no cursor.
  float CurrentValue() const;
  // The cursor cell (null when there is none) and its index (-1: none).
  float* GetCursor();
  int GetCursorIndex() const { return cursor_; }

  // The cells (null when there are none) and their number.
  float* GetCells() { return cells_.empty() ? nullptr : cells_.data(); }
  int GetCellCount() const { return static_cast<int>(cells_.size()); }

  // The links: one per character of the text at the last preparation.
  int GetSize() const { return static_cast<int>(links_.size()); }
  const _link_* GetLink(int i) const;

  int GetTimeQuantum() const { return GetValue(); }
  int GetReference() const { return reference_; }

 protected:
  // Make `count` empty links, or `count` cells of 1.0; false when they
  // cannot be had.
  virtual bool AllocateLinks(std::size_t count);
  virtual bool AllocateCells(std::size_t count);

 private:
  void Clear();
  // The lowest link index whose character is at or after pos; the size
  // when there is none.
  int LowestAtOrAfter(const char* pos) const;
  // The character of link i in the composer's current working text ('\0'
  // when the text is shorter now).
  char CharAt(int i) const;
  // The working text from pos to its end; "" for a position outside it.
  std::string TextFrom(const char* pos) const;
  void SetCursor(int cell);

  std::atomic<float> scale_{1.0f};
  std::vector<float> cells_;
  int reference_ = kDefaultReference;
  // The report of a bad time quantum, for a composer without duration array.
  bool quantumReported_ = false;
  std::vector<_link_> links_;
  bool hasLinks_ = false;
  int cursor_ = -1;
};
