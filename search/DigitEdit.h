// SPDX-License-Identifier: MIT
// The rules of the numeric edit (TQDigitEdit), the input box for whole non-negative numbers: the
// value of its text, the keystroke filter and the upper bound. The text is the only storage of the
// value. The GUI control applies these to its own text and selection.
//
// Threads: any; plain values only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The value of an edit text: the text read as a decimal number (surrounding blanks allowed, an
// optional sign, a fraction and an exponent), a fraction rounded to the nearest integer with
// halves to even; 0 for an empty text or one that is not a number. Values beyond the 32-bit range
// are clamped to it.
int32_t DigitEditValue(std::string_view text);

// True iff the keystroke filter lets `key` through: "0".."9", backspace (8) and Enter (13).
bool DigitEditPasses(char key);

// The edit's state as the filter sees it: text, selection, bound.
struct TDigitEdit {
  std::string Text;
  size_t SelStart = 0;   // caret position
  size_t SelLength = 0;  // selected characters after SelStart
  int32_t MaxValue = 2147483647;
  size_t MaxLength = 0;  // 0: no limit
  int InputErrors = 0;   // keystrokes refused (the OnInputError event)

  int32_t Value() const { return DigitEditValue(Text); }
  // Sets the text to the decimal digits of `value`, caret at the end.
  void SetValue(int32_t value);
  // Stores the bound; a current value above it is lowered to it.
  void SetMaxValue(int32_t bound);
  // One keystroke: a refused character counts an input error and changes nothing; a digit
  // replaces the selection (or is refused by MaxLength), backspace deletes the selection or the
  // character before the caret. When the value is then above MaxValue, the text goes back to what
  // it was and all of it is selected. Returns true iff the text changed.
  bool KeyPress(char key);
};
